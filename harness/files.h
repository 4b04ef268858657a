// The files that the harness reads and writes, alike on every platform: a whole file
// read (and the reason when it cannot be), standard output in binary, a scratch file,
// and a file replaced in one step.
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

// Makes standard output write "\n" as itself (Windows text mode would write "\r\n"), so
// that a transcript is the same bytes on every platform.
void use_binary_standard_output();

// A temporary file, read and written in binary, removed when closed; null when none can
// be made.
std::FILE* open_scratch_file();

// Renames `from` to `to` in one step, replacing `to` if it exists. False when it cannot.
bool replace_file(const char* from, const char* to);

}  // namespace harness
