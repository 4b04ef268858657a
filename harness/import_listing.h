// What a built library imports from each library it needs, checked against the
// libraries beside it: so that an integrator can hold a build against a host release's
// libraries (elemlib above all) before the host loads it.
#pragma once

#include <string>
#include <vector>

namespace harness {

struct LibraryImports {
  std::string library;  // empty: the routines that none of the libraries it needs exports
  std::string where;    // "beside it", "found by the system's loader", "not found"
  std::vector<std::string> routines;
  std::vector<std::string> missing;  // those of `routines` that `library` does not export
};

// Reads `path` and the libraries it needs; throws UnreadableBinary (binary_links.h)
// when `path` is no library, std::runtime_error when it cannot be read.
std::vector<LibraryImports> check_imports(const std::string& path);

// `gyrix-host imports LIBRARY`: the list on standard output; 0 when every routine is
// found, 1 when one is missing or the file cannot be read.
int list_imports(const std::string& path);

}  // namespace harness
