// Loads the library through the platform's loader by file name and resolves entry
// points by the names it exports, as the host does.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "entry_points.h"

namespace harness {

class Library {
 public:
  // Opens `file`; an empty name opens the library's own file name ("gyrix_solver.dll",
  // "libgyrix_solver.so"), or the one that GYRIX_SOLVER_LIBRARY names (set but empty, it
  // names none).
  explicit Library(std::string file = {});
  ~Library();
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  const std::string& file() const { return file_; }
  // The full path of the file the loader opened; empty when nothing is loaded.
  std::string path() const;
  // Why the file could not be loaded, and what to do about it; empty when it is loaded.
  const std::string& error() const { return error_; }
  const std::string& remedy() const { return remedy_; }

  // The address of the contract's routine `name`, found by the name under which it is
  // exported (entry_points.h); a null pointer when the library does not export it.
  void* resolve(std::string_view name) const;

 private:
  std::string file_;
  std::string error_;
  std::string remedy_;
  void* handle_ = nullptr;
};

// The file to load when none is given: GYRIX_SOLVER_LIBRARY's, unless it is unset or
// empty, else `own_name`.
inline std::string chosen_library_file(const char* own_name) {
  const char* chosen = std::getenv("GYRIX_SOLVER_LIBRARY");
  return chosen != nullptr && *chosen != '\0' ? chosen : own_name;
}

// The folder of a library's file, where the loader looks for its imports first; "."
// for a bare name.
inline std::string folder_of(const std::string& file) {
  const std::size_t slash = file.find_last_of("/\\");
  return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

// What to do when the library imports a routine that a library it needs lacks.
inline std::string missing_routine_remedy(const std::string& file) {
  return "its host libraries are other than (or older than) those it was built for: "
         "`gyrix-host imports " +
         file +
         "` lists the routines it needs from each library and marks the MISSING ones; "
         "use the host release's libraries that it was built for";
}

// Whether the system's loader, searching as it does for a library named without a
// folder, opens `library`; and whether that library exports `routine` (nothing when it
// does not open). For the import list (import_listing.h).
bool system_library_opens(const std::string& library);
std::optional<bool> system_library_exports(const std::string& library, const std::string& routine);

// The address of `name` in the sibling library `library` ("propdb"), which must already
// be loaded in the process, as the loader resolves it by name; a null pointer when
// the library is not loaded or does not export the name.
void* sibling_routine(std::string_view library, std::string_view name);

}  // namespace harness
