#include <cstdio>

#include "files.h"

namespace harness {

void use_binary_standard_output() {}  // POSIX writes every byte as it is

std::FILE* open_scratch_file() { return std::tmpfile(); }

bool replace_file(const char* from, const char* to) { return std::rename(from, to) == 0; }

}  // namespace harness
