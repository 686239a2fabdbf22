// What ends the Windows program when an exception escapes: it has no console to print the
// library's description of the exception on, so it ends at once as abort does. Defining
// the handler here also keeps the library's own, with its name demangler and its printf,
// out of the executable, about a quarter of its size.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

} // namespace __gnu_cxx
