#include <windows.h>

#include <string>
#include <vector>

#include "library.h"

namespace host {
namespace {

constexpr DWORD kModuleNotFound = 126;  // ERROR_MOD_NOT_FOUND: the file or one it imports
constexpr DWORD kNotAWindowsDll = 193;  // ERROR_BAD_EXE_FORMAT
constexpr int kDeepestImport = 8;       // import chains are short; this ends any loop
constexpr const char* kSearchedPlaces = "gyrix-host.exe's folder, the system folders, PATH";

// The DLLs that the image `module` (mapped, its imports unresolved) imports.
std::vector<std::string> imported_dlls(HMODULE module) {
  const auto* base = reinterpret_cast<const unsigned char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  std::vector<std::string> names;
  if (imports.VirtualAddress == 0) return names;
  for (auto* entry =
           reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       entry->Name != 0; ++entry) {
    names.emplace_back(reinterpret_cast<const char*>(base + entry->Name));
  }
  return names;
}

// The DLLs from one that `file` imports down to the first that Windows cannot find, in
// the order of the import chain; empty when every import is found.
std::vector<std::string> missing_imports(const std::string& file, int depth) {
  const HMODULE module = LoadLibraryExA(file.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  if (module == nullptr) return {};
  std::vector<std::string> chain;
  for (const std::string& name : imported_dlls(module)) {
    if (const HMODULE loaded = LoadLibraryA(name.c_str())) {
      FreeLibrary(loaded);
      continue;
    }
    // Either `name` itself is missing (it cannot even be mapped: nothing deeper) or
    // one of its own imports is.
    chain = {name};
    if (depth < kDeepestImport) {
      const std::vector<std::string> deeper = missing_imports(name, depth + 1);
      chain.insert(chain.end(), deeper.begin(), deeper.end());
    }
    break;
  }
  FreeLibrary(module);
  return chain;
}

bool file_exists(const std::string& file) {
  char found[MAX_PATH];
  return SearchPathA(nullptr, file.c_str(), nullptr, MAX_PATH, found, nullptr) != 0;
}

std::string system_message(DWORD code) {
  char text[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, text, sizeof text, nullptr);
  std::string message(text, length);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  return (message.empty() ? "Windows gives no text for it" : message) + " (Windows error " +
         std::to_string(code) + ")";
}

}  // namespace

Library::Library(std::string file) : file_(std::move(file)) {
  if (file_.empty()) file_ = chosen_library_file("gyrix_solver.dll");
  handle_ = reinterpret_cast<void*>(LoadLibraryA(file_.c_str()));
  if (handle_ != nullptr) return;
  const DWORD code = GetLastError();
  if (!file_exists(file_)) {
    error_ = std::string("there is no such file (Windows looked in ") + kSearchedPlaces + ")";
    remedy_ =
        "run gyrix-host.exe from the library's folder, or name the library's file in "
        "GYRIX_SOLVER_LIBRARY";
    return;
  }
  remedy_ =
      "put the folder of the missing DLL on PATH (under Wine: "
      "WINEPATH='Z:\\path\\to\\folder'), or copy the DLL beside gyrix-host.exe; "
      "docs/deployment.md tells where Windows looks";
  const std::vector<std::string> chain =
      code == kModuleNotFound ? missing_imports(file_, 0) : std::vector<std::string>{};
  if (!chain.empty()) {
    error_ = "it imports " + chain.front();
    for (std::size_t i = 1; i < chain.size(); ++i) error_ += ", which imports " + chain[i];
    error_ += std::string(", which Windows finds in none of the places it looks (") +
              kSearchedPlaces + ")";
  } else if (code == kNotAWindowsDll) {
    error_ = "it is not a 32-bit Windows DLL";
    remedy_ = "name gyrix_solver.dll of the win32 build in GYRIX_SOLVER_LIBRARY";
  } else {
    error_ = system_message(code);
  }
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
