// MinGW builds only. libstdc++'s default terminate handler prints the uncaught exception's demangled
// type to stderr, which a GUI program does not have, and pulls the demangler and the C99 printf in:
// about a quarter of the executable. Ending the process the same way without the message keeps it small.
#include <cstdlib>
#include <exception>

void __gnu_cxx::__verbose_terminate_handler() { std::abort(); }
