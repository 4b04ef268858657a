// Loads the library through the platform's loader by file name and resolves entry
// points by the names it exports, as the host does.
#pragma once

#include <string>
#include <string_view>

namespace host {

// A stdcall routine of `words` argument words (the upper-case entry points), or a plain
// C routine.
inline constexpr int kPlainC = -1;

class Library {
 public:
  // Opens `file`; an empty name opens the library's own file name ("gyrix_solver.dll",
  // "libgyrix_solver.so"), or the one that GYRIX_SOLVER_LIBRARY names.
  explicit Library(std::string file = {});
  ~Library();
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  bool loaded() const { return handle_ != nullptr; }
  const std::string& file() const { return file_; }
  // The full path of the file the loader opened; empty when nothing is loaded.
  std::string path() const;
  const std::string& error() const { return error_; }

  // The name under which the platform exports the routine: "_CONSUB@8" on 32-bit
  // Windows for a stdcall routine, the plain name elsewhere.
  static std::string exported_name(std::string_view name, int words);

  // The routine's address, or a null pointer when the library does not export it.
  void* resolve(std::string_view name, int words) const;

 private:
  std::string file_;
  std::string error_;
  void* handle_ = nullptr;
};

// The address of `name` in the sibling library `library` ("propdb"), which must already
// be loaded in the process, as the loader resolves it by name; a null pointer when
// the library is not loaded or does not export the name.
void* sibling_routine(std::string_view library, std::string_view name);

}  // namespace host
