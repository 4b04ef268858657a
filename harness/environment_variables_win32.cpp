#include <cstdlib>

#include "environment_variables.h"

namespace harness {

// _putenv_s changes the C run-time's copy, the one that the stand-in's getenv reads.
bool set_environment(const char* name, const char* value) {
  return _putenv_s(name, value == nullptr ? "" : value) == 0;
}

}  // namespace harness
