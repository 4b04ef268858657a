// Reading a whole file, and the reason when it cannot be read, in the same words on
// every platform.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace harness {

// What is left to read in `file`; nothing when reading fails (a folder, on POSIX, opens
// but cannot be read).
std::optional<std::string> read_to_end(std::FILE* file);

// The bytes of the file `path`; nothing when it cannot be read, and then `why` (when
// given) says why: "there is no such file", "it is a folder", ...
std::optional<std::string> read_file(const std::string& path, std::string* why = nullptr);

}  // namespace harness
