// The program's terminate handler, in place of libstdc++'s verbose one.
//
// The runtime's default handler, __gnu_cxx::__verbose_terminate_handler, writes the demangled type
// of the escaped exception to standard error: a windowed program has none, and the demangler it
// needs is some 46 KB of every download. A definition of that function in the program keeps the
// runtime's own (and the demangler) out of the static link; it stays the default handler that
// std::terminate calls and std::set_terminate(nullptr) restores. What was thrown still goes where
// a windowed program's messages go, the debugger output, and the program aborts as before.
#include <windows.h>

#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
  if (std::exception_ptr escaped = std::current_exception()) {
    try {
      std::rethrow_exception(escaped);
    } catch (const std::exception& e) {
      ::OutputDebugStringA("terminate called after throwing an exception: ");
      ::OutputDebugStringA(e.what());
      ::OutputDebugStringA("\n");
    } catch (...) {
      ::OutputDebugStringA("terminate called after throwing a non-standard exception\n");
    }
  } else {
    ::OutputDebugStringA("terminate called without an active exception\n");
  }
  std::abort();
}

}  // namespace __gnu_cxx
