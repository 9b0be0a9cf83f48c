// What happens when the C++ runtime must end the program (an exception
// escapes where none may): it ends. The runtime's own handler would first
// print the exception's name, demangled, to a standard error that a window
// program does not have, and it brings the whole name demangler (some
// 46 KB) into the executable to do so. Defining the handler here keeps the
// runtime's out of the link.
#include <cstdlib>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() {
    std::abort();
}

} // namespace __gnu_cxx
