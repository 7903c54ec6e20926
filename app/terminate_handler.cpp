// The setup program's terminate handler. libstdc++'s default handler writes the type of the
// uncaught exception to the standard error stream, which a GUI program does not have, and brings
// the C++ name demangler (about 45 KB) into the image for it. This definition takes its place at
// link time and, like the default after its message, ends the process through abort(). Only the
// program links this file: test programs keep the default, whose message names the exception
// that ended a test.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
