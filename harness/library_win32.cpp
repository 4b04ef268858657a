#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "binary_links.h"
#include "library.h"

namespace harness {
namespace {

constexpr DWORD kModuleNotFound = 126;   // ERROR_MOD_NOT_FOUND: the file or one it imports
constexpr DWORD kNotAWindowsDll = 193;   // ERROR_BAD_EXE_FORMAT
constexpr DWORD kRoutineNotFound = 127;  // ERROR_PROC_NOT_FOUND: an import lacks a routine
constexpr int kDeepestImport = 8;        // import chains are short; this ends any loop

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

// The file of an import of the library at `folder`: the one beside it when there is one,
// else the bare name, searched for as LoadLibrary searches.
std::string import_file(const std::string& folder, const std::string& name) {
  const std::string beside = folder + "\\" + name;
  return GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES ? beside : name;
}

// An import of the library at `folder`, as the loader finds it for that library.
HMODULE load_import(const std::string& folder, const std::string& name) {
  const std::string file = import_file(folder, name);
  if (file != name) {
    if (const HMODULE module = LoadLibraryExA(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH))
      return module;
  }
  return LoadLibraryA(name.c_str());
}

std::string module_path(HMODULE module) {
  char buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameA(module, buffer, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::string() : std::string(buffer, length);
}

// Each routine that the DLL `file` imports and that the DLL it imports it from (as the
// loader finds that DLL) does not export, as "_SFO901@28 from elemlib.dll (PATH)".
// Windows refuses to load such a DLL (error 127); Wine loads it and binds the routine
// to a stub that aborts the program when it is called.
std::vector<std::string> missing_routines(const std::string& file) {
  const std::optional<BinaryLinks> links = read_links_of_file(file);
  if (!links) return {};
  std::vector<std::string> missing;
  for (const ImportedRoutines& imported : links->imports) {
    const HMODULE module = load_import(folder_of(file), imported.library);
    if (module == nullptr) continue;  // a DLL that is not found is error 126's case
    for (const std::string& routine : imported.routines) {
      if (routine[0] == '#' || GetProcAddress(module, routine.c_str()) != nullptr) continue;
      missing.push_back(routine + " from " + imported.library + " (" + module_path(module) + ")");
    }
    FreeLibrary(module);
  }
  return missing;
}

// The DLLs from one that `file` imports down to the first that Windows cannot find, in
// the order of the import chain; empty when every import is found.
std::vector<std::string> missing_imports(const std::string& file, int depth) {
  // Mapped (its imports unresolved) only to find its file as the loader searches for it.
  const HMODULE module = LoadLibraryExA(file.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  if (module == nullptr) return {};
  const std::optional<BinaryLinks> links = read_links_of_file(module_path(module));
  FreeLibrary(module);
  if (!links) return {};
  for (const ImportedRoutines& imported : links->imports) {
    const std::string& name = imported.library;
    if (const HMODULE loaded = load_import(folder_of(file), name)) {
      FreeLibrary(loaded);
      continue;
    }
    // Either `name` itself is missing (it cannot even be mapped: nothing deeper) or
    // one of its own imports is; it is looked at where the loader found it, which may
    // be beside `file` rather than on the search path.
    std::vector<std::string> chain = {name};
    if (depth < kDeepestImport) {
      const std::vector<std::string> deeper =
          missing_imports(import_file(folder_of(file), name), depth + 1);
      chain.insert(chain.end(), deeper.begin(), deeper.end());
    }
    return chain;
  }
  return {};
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

// The error of a library whose imports lack `missing` (missing_routines, not empty).
std::string missing_routines_error(const std::vector<std::string>& missing) {
  std::string error = "it imports " + missing.front();
  for (std::size_t i = 1; i < missing.size(); ++i) error += ", and " + missing[i];
  return error +
         (missing.size() == 1 ? ", which does not export it" : ", which do not export them");
}

}  // namespace

Library::Library(std::string file) : file_(std::move(file)) {
  if (file_.empty()) file_ = chosen_library_file("gyrix_solver.dll");
  const std::string searched =
      named_by_path(file_)
          ? "the library's own folder, the system folders, the current folder, PATH"
          : "gyrix-host.exe's folder, the system folders, the current folder, PATH";
  const HMODULE module = load_as_hosts_do(file_);
  const DWORD code = GetLastError();
  if (module != nullptr) {
    // Windows never loads a DLL that lacks a routine; Wine does, and names the routine
    // only at a warning level: the check is made here, before any call.
    const std::vector<std::string> missing = missing_routines(module_path(module));
    if (missing.empty()) {
      handle_ = module;
      return;
    }
    FreeLibrary(module);
    error_ = missing_routines_error(missing);
    remedy_ = missing_routine_remedy(file_);
    return;
  }
  if (!file_exists(file_)) {
    error_ = "there is no such file (Windows looked in " + searched + ")";
    remedy_ =
        "run gyrix-host.exe from the library's folder, or name the library's file in "
        "GYRIX_SOLVER_LIBRARY";
    return;
  }
  remedy_ =
      "put the missing DLL beside the library (named by a path) or beside gyrix-host.exe, "
      "or its folder on PATH (under Wine: WINEPATH='Z:\\path\\to\\folder'); "
      "docs/deployment.md tells where Windows looks";
  if (code == kRoutineNotFound) {
    const std::vector<std::string> missing = missing_routines(file_);
    if (!missing.empty()) {
      error_ = missing_routines_error(missing);
      remedy_ = missing_routine_remedy(file_);
      return;
    }
  }
  const std::vector<std::string> chain =
      code == kModuleNotFound ? missing_imports(file_, 0) : std::vector<std::string>{};
  if (!chain.empty()) {
    error_ = "it imports " + chain.front();
    for (std::size_t i = 1; i < chain.size(); ++i) error_ += ", which imports " + chain[i];
    error_ += ", which Windows finds in none of the places it looks (" + searched + ")";
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

void* Library::resolve(std::string_view name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<void*>(
      GetProcAddress(static_cast<HMODULE>(handle_), std::string(exported_name(name)).c_str()));
}

std::string Library::path() const {
  if (handle_ == nullptr) return {};
  return module_path(static_cast<HMODULE>(handle_));
}

bool system_library_opens(const std::string& library) {
  const HMODULE module = LoadLibraryA(library.c_str());
  if (module != nullptr) FreeLibrary(module);
  return module != nullptr;
}

std::optional<bool> system_library_exports(const std::string& library, const std::string& routine) {
  const HMODULE module = LoadLibraryA(library.c_str());
  if (module == nullptr) return std::nullopt;
  const bool found = GetProcAddress(module, routine.c_str()) != nullptr;
  FreeLibrary(module);
  return found;
}

void* sibling_routine(std::string_view library, std::string_view name) {
  const HMODULE module = GetModuleHandleA((std::string(library) + ".dll").c_str());
  if (module == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(module, std::string(exported_name(name)).c_str()));
}

}  // namespace harness
