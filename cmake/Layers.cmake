# The layers: cmake/layers.txt says which top-level folder uses which. Each
# folder's library is made by tarrow_add_layer_library, which links exactly
# the libraries of the folders the table lets it use; tests/layers checks
# that no #include runs against the table.
set(TARROW_LAYERS_TABLE ${CMAKE_CURRENT_LIST_DIR}/layers.txt)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                                                             ${TARROW_LAYERS_TABLE})

file(STRINGS ${TARROW_LAYERS_TABLE} tarrow_layer_lines REGEX "^[a-z]")
foreach(line IN LISTS tarrow_layer_lines)
    string(REGEX REPLACE "[ \t]+" ";" fields "${line}")
    list(POP_FRONT fields folder library)
    if(NOT library)
        message(FATAL_ERROR "${TARROW_LAYERS_TABLE}: '${line}' names no library (\"-\": none)")
    endif()
    set(TARROW_LAYER_${folder}_LIBRARY ${library})
    set(TARROW_LAYER_${folder}_USES ${fields})
endforeach()

# tarrow_layer_libraries(<folder> <variable>)
#   Sets <variable> to the libraries of the folders that <folder> uses.
function(tarrow_layer_libraries folder variable)
    if(NOT DEFINED TARROW_LAYER_${folder}_LIBRARY)
        message(FATAL_ERROR "cmake/layers.txt has no folder ${folder}")
    endif()
    set(libraries)
    foreach(used IN LISTS TARROW_LAYER_${folder}_USES)
        set(library ${TARROW_LAYER_${used}_LIBRARY})
        if(NOT library OR library STREQUAL "-")
            message(FATAL_ERROR "cmake/layers.txt: ${folder} uses ${used}, which has no library")
        endif()
        list(APPEND libraries ${library})
    endforeach()
    set(${variable} ${libraries} PARENT_SCOPE)
endfunction()

# tarrow_add_layer_library(<folder> <sources...>)
#   The static library of <folder> (the table names it), built with the
#   project's flags, linked to the libraries of the folders it uses.
function(tarrow_add_layer_library folder)
    set(library ${TARROW_LAYER_${folder}_LIBRARY})
    if(NOT library OR library STREQUAL "-")
        message(FATAL_ERROR "cmake/layers.txt gives ${folder} no library")
    endif()
    tarrow_layer_libraries(${folder} used)
    add_library(${library} STATIC ${ARGN})
    target_link_libraries(${library} PUBLIC ${used} PRIVATE tarrow_build_flags)
endfunction()
