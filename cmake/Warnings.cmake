# Every target of the project builds with warnings as errors, on g++ and on
# the MinGW-w64 cross compiler alike.
target_compile_options(tarrow_build_flags INTERFACE
    "$<$<COMPILE_LANGUAGE:CXX>:-Wall;-Wextra;-Wpedantic;-Wshadow;-Wconversion;-Wsign-conversion;-Werror>")

# GCC 12 reports a false -Wrestrict overlap when it inlines
# `const char* + std::string&&` at -O2 and above (GCC bug 105329); the
# warning is off for that compiler family only.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(tarrow_build_flags INTERFACE $<$<COMPILE_LANGUAGE:CXX>:-Wno-restrict>)
endif()
