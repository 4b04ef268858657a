// The process environment, which the stand-in environment service reads: set here so
// that a session or a test can show the message filter's switches at work; and the
// standard output that the library shares with the harness, a scratch file to catch it,
// and the replacement of a file in one step.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace harness {

// Sets `name` to `value`, or removes it when `value` is a null pointer. On Windows an
// empty value removes the variable too (the C run-time holds no empty variables); the
// environment service reads both as blanks. False when the run-time refuses.
bool set_environment(const char* name, const char* value);

// The variable's value, empty when it is unset: the environment service reads unset and
// empty alike, and so every platform shows them alike.
inline std::string environment_value(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// Makes standard output write "\n" as itself (Windows text mode would write "\r\n"), so
// that a transcript is the same bytes on every platform.
void use_binary_standard_output();

// A temporary file, read and written in binary, removed when closed; null when none can
// be made.
std::FILE* open_scratch_file();

// Renames `from` to `to` in one step, replacing `to` if it exists. False when it cannot.
bool replace_file(const char* from, const char* to);

}  // namespace harness
