// What a shared library's file says it imports and exports, read from the file itself
// without loading it: a PE file's import and export tables (Windows DLLs, either width),
// an ELF file's dynamic section and symbols (Linux, either width, little-endian).
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace harness {

struct ImportedRoutines {
  std::string library;                // "elemlib.dll", "libelemlib.so"
  std::vector<std::string> routines;  // as the loader looks them up: "_SFO901@28", "SFO901"
};

struct BinaryLinks {
  // PE: every imported DLL with its routines, in the file's order. ELF: the needed
  // libraries, each with the routines that a symbol version ties to it (the C library's).
  std::vector<ImportedRoutines> imports;
  // ELF: the undefined symbols that no version ties to a library; the dynamic loader
  // takes each from whichever needed library defines it. Empty for PE.
  std::vector<std::string> unattributed;
  std::vector<std::string> exports;  // the names it exports (defines, for ELF)
};

// The file is neither a PE nor an ELF file, or is cut short or malformed.
struct UnreadableBinary : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Throws UnreadableBinary.
BinaryLinks read_links(std::string_view bytes);

// The links of the file `path`; nothing when it cannot be read or is no library (for
// explaining a load failure, where that only means there is less to tell).
std::optional<BinaryLinks> read_links_of_file(const std::string& path);

}  // namespace harness
