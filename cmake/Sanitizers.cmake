# Native debug builds run under AddressSanitizer and UBSan; a sanitizer report
# fails the test that triggered it. They are optimised lightly (-O1), as the
# AddressSanitizer documentation advises for reasonable speed: the crash
# table runs about three times faster than at -O0, and stack traces stay
# readable.
option(TARROW_SANITIZE "Build with AddressSanitizer and UBSan" OFF)
if(TARROW_SANITIZE)
    target_compile_options(tarrow_build_flags INTERFACE
        "$<$<COMPILE_LANGUAGE:CXX>:-fsanitize=address,undefined;-fno-sanitize-recover=all;-fno-omit-frame-pointer;-O1>")
    target_link_options(tarrow_build_flags INTERFACE -fsanitize=address,undefined)
endif()
