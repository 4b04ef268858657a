#include <dlfcn.h>
#include <link.h>

#include "library.h"

namespace harness {

Library::Library(std::string file) : file_(std::move(file)) {
  if (file_.empty()) file_ = chosen_library_file("libgyrix_solver.so");
  handle_ = dlopen(file_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ != nullptr) return;
  // The loader's message, without the file's name when it opens with it.
  error_ = dlerror();
  if (error_.rfind(file_ + ": ", 0) == 0) error_.erase(0, file_.size() + 2);
}

Library::~Library() {
  if (handle_ != nullptr) dlclose(handle_);
}

void* Library::resolve(std::string_view name) const {
  return handle_ ? dlsym(handle_, std::string(name_in_export_table(name)).c_str()) : nullptr;
}

std::string Library::path() const {
  const link_map* map = nullptr;
  if (handle_ == nullptr || dlinfo(handle_, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr)
    return {};
  return map->l_name;
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
