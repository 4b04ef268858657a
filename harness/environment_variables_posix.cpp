#include <cstdlib>

#include "environment_variables.h"

namespace harness {

bool set_environment(const char* name, const char* value) {
  return (value == nullptr ? unsetenv(name) : setenv(name, value, 1)) == 0;
}

}  // namespace harness
