#include <dlfcn.h>
#include <link.h>

#include <optional>

#include "binary_links.h"
#include "library.h"

namespace harness {
namespace {

// The libraries that `file` needs, as one text; empty when it cannot be read.
std::string needed_libraries(const std::string& file) {
  const std::optional<BinaryLinks> links = read_links_of_file(file);
  if (!links) return {};
  std::string names;
  for (const ImportedRoutines& library : links->imports) {
    names += (names.empty() ? "" : ", ") + library.library;
  }
  return names;
}

}  // namespace

Library::Library(std::string file) : file_(std::move(file)) {
  if (file_.empty()) file_ = chosen_library_file("libgyrix_solver.so");
  handle_ = dlopen(file_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ != nullptr) return;
  // The loader's message names the file that is missing (the library or one it
  // imports), or a routine that none of the libraries it needs exports.
  error_ = dlerror();
  constexpr std::string_view kUndefined = "undefined symbol: ";
  const std::size_t undefined = error_.find(kUndefined);
  if (undefined != std::string::npos) {
    const std::string routine = error_.substr(undefined + kUndefined.size());
    const std::string needed = needed_libraries(file_);
    error_ = "it imports " + routine + ", which none of the libraries it needs" +
             (needed.empty() ? "" : " (" + needed + ")") + " exports";
    remedy_ = missing_routine_remedy(file_);
    return;
  }
  remedy_ =
      "build the library (cmake --build --preset <preset>) and run gyrix-host from the same "
      "build or installed tree, or name the library's file in GYRIX_SOLVER_LIBRARY; the "
      "libraries it imports are found beside it or on LD_LIBRARY_PATH";
}

Library::~Library() {
  if (handle_ != nullptr) dlclose(handle_);
}

void* Library::resolve(std::string_view name) const {
  return handle_ ? dlsym(handle_, std::string(exported_name(name)).c_str()) : nullptr;
}

std::string Library::path() const {
  const link_map* map = nullptr;
  if (handle_ == nullptr || dlinfo(handle_, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr)
    return {};
  return map->l_name;
}

bool system_library_opens(const std::string& library) {
  void* handle = dlopen(library.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (handle != nullptr) dlclose(handle);
  return handle != nullptr;
}

std::optional<bool> system_library_exports(const std::string& library, const std::string& routine) {
  void* handle = dlopen(library.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (handle == nullptr) return std::nullopt;
  const bool found = dlsym(handle, routine.c_str()) != nullptr;
  dlclose(handle);
  return found;
}

void* sibling_routine(std::string_view library, std::string_view name) {
  const std::string file = "lib" + std::string(library) + ".so";
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return nullptr;
  void* routine = dlsym(handle, std::string(name).c_str());
  dlclose(handle);  // drops only the reference that RTLD_NOLOAD took
  return routine;
}

}  // namespace harness
