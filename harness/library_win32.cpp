#include <windows.h>

#include <cstdlib>

#include "library.h"

namespace host {

Library::Library(std::string file) : file_(std::move(file)) {
  if (file_.empty()) {
    const char* chosen = std::getenv("GYRIX_SOLVER_LIBRARY");
    file_ = chosen ? chosen : "gyrix_solver.dll";
  }
  handle_ = reinterpret_cast<void*>(LoadLibraryA(file_.c_str()));
  if (handle_ == nullptr) error_ = "LoadLibrary failed, error " + std::to_string(GetLastError());
}

Library::~Library() {
  if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

std::string Library::exported_name(std::string_view name, int words) {
  if (words == kPlainC) return std::string(name);
  return "_" + std::string(name) + "@" + std::to_string(4 * words);
}

void* Library::resolve(std::string_view name, int words) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<void*>(
      GetProcAddress(static_cast<HMODULE>(handle_), exported_name(name, words).c_str()));
}

std::string Library::path() const {
  if (handle_ == nullptr) return {};
  char buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameA(static_cast<HMODULE>(handle_), buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::string(buffer, length);
}

void* sibling_routine(std::string_view library, std::string_view name) {
  const HMODULE module = GetModuleHandleA((std::string(library) + ".dll").c_str());
  if (module == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(module, std::string(name).c_str()));
}

}  // namespace host
