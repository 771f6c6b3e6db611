// Replaces libstdc++'s verbose terminate handler, which prints the type of an
// uncaught exception: it links in the C++ demangler, about 46 KB of the exe
// for a message that a GUI program has nowhere to print. Linked into the exe
// itself, ahead of the library, so that the library's copy is never pulled in.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
