#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

#include "environment.h"

namespace host {

// _putenv_s changes the C run-time's copy, the one that the stand-in's getenv reads.
bool set_environment(const char* name, const char* value) {
  return _putenv_s(name, value == nullptr ? "" : value) == 0;
}

// The mode belongs to the file descriptor in msvcrt.dll, which the library's printf
// shares with the harness: its output is written unchanged as well.
void use_binary_standard_output() {
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace host
