// How the C++ runtime reports the errors of the standard library (a text
// asked for beyond its end, a container grown past its limit, memory that
// ran out): by throwing. The runtime's own reporting throws the standard
// exception classes that carry their message in a string of the library's
// older kind, and brings that whole second string implementation into the
// executable (some 60 KB). The programs only ever catch std::exception and
// show what() (the program shell), so these report the same errors with
// exceptions that carry the message as it is. Each is defined once here for
// both programs, never in the tests, which keep the runtime's.
#include <bits/functexcept.h>

#include <exception>
#include <new>
#include <typeinfo>

namespace {

// An error of the standard library, with the library's own message.
class LibraryError final : public std::exception {
public:
    explicit LibraryError(const char* message) noexcept : message_(message) {}
    const char* what() const noexcept override { return message_; }

private:
    const char* message_;
};

} // namespace

namespace std {

void __throw_bad_exception() {
    throw std::bad_exception();
}
void __throw_bad_alloc() {
    throw std::bad_alloc();
}
void __throw_bad_array_new_length() {
    throw std::bad_array_new_length();
}
void __throw_bad_cast() {
    throw std::bad_cast();
}
void __throw_bad_typeid() {
    throw std::bad_typeid();
}
void __throw_logic_error(const char* message) {
    throw LibraryError(message);
}
void __throw_domain_error(const char* message) {
    throw LibraryError(message);
}
void __throw_invalid_argument(const char* message) {
    throw LibraryError(message);
}
void __throw_length_error(const char* message) {
    throw LibraryError(message);
}
void __throw_out_of_range(const char* message) {
    throw LibraryError(message);
}
void __throw_out_of_range_fmt(const char* format, ...) {
    // The format names the function and the positions; the format alone
    // says enough of what went wrong.
    throw LibraryError(format);
}
void __throw_runtime_error(const char* message) {
    throw LibraryError(message);
}
void __throw_range_error(const char* message) {
    throw LibraryError(message);
}
void __throw_overflow_error(const char* message) {
    throw LibraryError(message);
}
void __throw_underflow_error(const char* message) {
    throw LibraryError(message);
}

} // namespace std
