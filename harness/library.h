// Loads the library through the platform's loader by file name and resolves entry
// points by the names it exports, as the host does.
#pragma once

#include <cstdlib>
#include <string>
#include <string_view>

#include "entry_points.h"

namespace harness {

class Library {
 public:
  // Opens `file`; an empty name opens the library's own file name ("gyrix_solver.dll",
  // "libgyrix_solver.so"), or the one that GYRIX_SOLVER_LIBRARY names (set but empty, it
  // counts as unset).
  explicit Library(std::string file = {});
  ~Library();
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  const std::string& file() const { return file_; }
  // The full path of the file the loader opened; empty when nothing is loaded.
  std::string path() const;
  // The loader's own reason why the file could not be loaded, in one line; empty when
  // it is loaded.
  const std::string& error() const { return error_; }

  // The address of the contract's routine `name`, found by the name under which it is
  // exported (entry_points.h); a null pointer when the library does not export it.
  void* resolve(std::string_view name) const;

 private:
  std::string file_;
  std::string error_;
  void* handle_ = nullptr;
};

// The file to load when none is given: GYRIX_SOLVER_LIBRARY's, unless it is unset or
// empty, else `own_name`.
inline std::string chosen_library_file(const char* own_name) {
  const char* chosen = std::getenv("GYRIX_SOLVER_LIBRARY");
  return chosen != nullptr && *chosen != '\0' ? chosen : own_name;
}

// The address of `name` in the sibling library `library` ("propdb"), which must already
// be loaded in the process, as the loader resolves it by name; a null pointer when
// the library is not loaded or does not export the name.
void* sibling_routine(std::string_view library, std::string_view name);

}  // namespace harness
