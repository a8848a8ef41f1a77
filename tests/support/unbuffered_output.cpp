// Compiled into every test executable: its standard output and error go out unbuffered. Under
// CTest they are a file, which the C runtime fills in blocks of 4 KiB and writes at the exit; a
// process that ends hard (killed, or ended by Wine itself) lost every line it had printed, down to
// the name of the test it was in. Unbuffered, the output ends where the process did.
#include <cstdio>

namespace {

struct UnbufferedOutput {
  UnbufferedOutput() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
  }
};
const UnbufferedOutput g_unbuffered;

}  // namespace
