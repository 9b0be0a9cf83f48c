# tarrow_build_flags: the compile and link flags of the project's own
# targets (cmake/Warnings.cmake and cmake/Sanitizers.cmake fill it in). Every
# target the project builds links it; what the project builds from others'
# sources, such as GoogleTest for Windows, does not, and keeps its own flags.
add_library(tarrow_build_flags INTERFACE)

# tarrow_check_build_flags()
#   Stops the configuration at a target of the project's source tree that
#   compiles or links without tarrow_build_flags.
function(tarrow_check_build_flags)
    set(directories ${PROJECT_SOURCE_DIR})
    while(directories)
        list(POP_FRONT directories directory)
        get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
        foreach(subdirectory IN LISTS subdirectories)
            cmake_path(IS_PREFIX PROJECT_SOURCE_DIR ${subdirectory} NORMALIZE ours)
            if(ours)
                list(APPEND directories ${subdirectory})
            endif()
        endforeach()
        get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
        foreach(target IN LISTS targets)
            get_target_property(type ${target} TYPE)
            if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
                get_target_property(linked ${target} LINK_LIBRARIES)
                if(NOT "tarrow_build_flags" IN_LIST linked)
                    message(FATAL_ERROR "${target} (${directory}) does not link tarrow_build_flags")
                endif()
            endif()
        endforeach()
    endwhile()
endfunction()
