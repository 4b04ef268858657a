#include <cstdio>
#include <cstdlib>

#include "environment.h"

namespace harness {

bool set_environment(const char* name, const char* value) {
  return (value == nullptr ? unsetenv(name) : setenv(name, value, 1)) == 0;
}

void use_binary_standard_output() {}  // POSIX writes every byte as it is

std::FILE* open_scratch_file() { return std::tmpfile(); }

bool replace_file(const char* from, const char* to) { return std::rename(from, to) == 0; }

}  // namespace harness
