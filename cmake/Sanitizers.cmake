# Native debug builds run under AddressSanitizer and UBSan; a sanitizer report
# fails the test that triggered it.
option(TARROW_SANITIZE "Build with AddressSanitizer and UBSan" OFF)
if(TARROW_SANITIZE)
    add_compile_options(
        "$<$<COMPILE_LANGUAGE:CXX>:-fsanitize=address,undefined;-fno-sanitize-recover=all;-fno-omit-frame-pointer>")
    add_link_options(-fsanitize=address,undefined)
endif()
