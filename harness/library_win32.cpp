#include <windows.h>

#include <string>
#include <string_view>

#include "library.h"

namespace harness {
namespace {

bool named_by_path(const std::string& file) {
  return file.find_first_of("/\\:") != std::string::npos;
}

// As a host that loads by full path does: the library's imports are looked for in its
// own folder first (LOAD_WITH_ALTERED_SEARCH_PATH, which wants a full path); a bare name
// is searched for as LoadLibrary searches.
HMODULE load_as_hosts_do(const std::string& file) {
  if (!named_by_path(file)) return LoadLibraryA(file.c_str());
  const int length = MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide.data(), length);
  const DWORD full_length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  std::wstring full(full_length > 0 ? full_length : 1, L'\0');
  if (full_length == 0 || GetFullPathNameW(wide.c_str(), full_length, full.data(), nullptr) == 0) {
    return LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  return LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// Windows's own text for `code`, in one line, the file in place of its "%1".
std::string system_message(DWORD code, const std::string& file) {
  char text[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, text, sizeof text, nullptr);
  std::string message(text, length);
  while (!message.empty() && std::string_view("\r\n .").find(message.back()) != std::string::npos)
    message.pop_back();
  for (char& c : message) c = c == '\r' || c == '\n' ? ' ' : c;
  if (const std::size_t insert = message.find("%1"); insert != std::string::npos)
    message.replace(insert, 2, file);
  return (message.empty() ? "Windows gives no text for it" : message) + " (Windows error " +
         std::to_string(code) + ")";
}

}  // namespace

Library::Library(std::string file) : file_(std::move(file)) {
  if (file_.empty()) file_ = chosen_library_file("gyrix_solver.dll");
  handle_ = load_as_hosts_do(file_);
  if (handle_ == nullptr) error_ = system_message(GetLastError(), file_);
}

Library::~Library() {
  if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* Library::resolve(std::string_view name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_),
                                                std::string(name_in_export_table(name)).c_str()));
}

std::string Library::path() const {
  char buffer[MAX_PATH];
  const DWORD length =
      handle_ == nullptr ? 0 : GetModuleFileNameA(static_cast<HMODULE>(handle_), buffer, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::string() : std::string(buffer, length);
}

void* sibling_routine(std::string_view library, std::string_view name) {
  const HMODULE module = GetModuleHandleA((std::string(library) + ".dll").c_str());
  if (module == nullptr) return nullptr;
  return reinterpret_cast<void*>(
      GetProcAddress(module, std::string(name_in_export_table(name)).c_str()));
}

}  // namespace harness
