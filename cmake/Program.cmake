# tarrow_add_program(<target> NAME <exe name> DESCRIPTION <text>
#                    SOURCES <files...> LIBRARIES <targets...> [RESOURCES <rc lines...>]
#                    [SHIPPED_MANIFEST])
#   A Windows GUI executable in bin/, entered through the shell's one WinMain
#   (the object library tarrow_entry; SOURCES define its program with
#   TheProgram()), with an embedded manifest (administrator rights, version
#   6 common controls, DPI awareness, supported Windows versions) and a
#   version resource, both from the project's version and the given
#   description. It starts on Windows XP too (the object library
#   tarrow_xp_compat). The program's code gets the same values from
#   TheIdentity(), generated for it, for the manifest it writes.
#   The 32-bit Release build is what users get: its programs carry no symbols
#   and no debug information (the static C++ runtime brings much of both).
#   The 64-bit build only runs the tests under 64-bit Wine and keeps its
#   symbols, so that Wine's backtraces name functions. Every build writes the
#   linker's map beside the program (<exe name>.map), which
#   bench/size_report.py sums up.
#   SHIPPED_MANIFEST also puts the side-by-side manifest that the program
#   writes beside itself into bin/, made by the same template code, for a
#   setup program to install with it.
function(tarrow_add_program target)
    cmake_parse_arguments(ARG "SHIPPED_MANIFEST" "NAME;DESCRIPTION" "SOURCES;LIBRARIES;RESOURCES"
                          ${ARGN})
    set(TARROW_PROGRAM_NAME "${ARG_NAME}")
    set(TARROW_FILE_DESCRIPTION "${ARG_DESCRIPTION}")
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(TARROW_PROCESSOR_ARCHITECTURE amd64)
    else()
        set(TARROW_PROCESSOR_ARCHITECTURE x86)
    endif()
    set(TARROW_PROGRAM_MANIFEST "${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}.exe.manifest")
    list(JOIN ARG_RESOURCES "\n" TARROW_EXTRA_RESOURCES)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/program/program.manifest.in
                   ${TARROW_PROGRAM_MANIFEST} @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/program/program.rc.in
                   ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}.rc @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/program/identity.cpp.in
                   ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}_identity.cpp @ONLY)
    add_executable(${target} WIN32 ${ARG_SOURCES} ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}.rc
                   ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}_identity.cpp)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${ARG_NAME})
    target_link_libraries(${target} PRIVATE tarrow_entry tarrow_xp_compat ${ARG_LIBRARIES}
                                            tarrow_build_flags)
    target_link_options(${target} PRIVATE
                        "-Wl,-Map=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${ARG_NAME}.map")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        target_link_options(${target} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
    endif()
    if(ARG_SHIPPED_MANIFEST)
        set(shipped ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${ARG_NAME}.exe.manifest)
        add_custom_command(OUTPUT ${shipped}
            COMMAND ${TARROW_MANIFEST_PRINTER} ${ARG_NAME} ${PROJECT_VERSION_MAJOR}
                    ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH} ${ARG_DESCRIPTION} ${shipped}
            DEPENDS ${TARROW_MANIFEST_PRINTER}
            COMMENT "Writing ${ARG_NAME}.exe.manifest as the program writes it"
            VERBATIM)
        add_custom_target(${target}_shipped_manifest ALL DEPENDS ${shipped})
        add_dependencies(${target}_shipped_manifest print_style_manifest)
        add_dependencies(${target} ${target}_shipped_manifest)
    endif()
endfunction()
