// The process environment, which the stand-in environment service reads: set here so
// that a session or a test can show the message filter's switches at work.
#pragma once

#include <cstdlib>
#include <string>

namespace harness {

// Sets `name` to `value`, or removes it when `value` is a null pointer. On Windows an
// empty value removes the variable too (the C run-time holds no empty variables); the
// environment service reads both as blanks. False when the run-time refuses.
inline bool set_environment(const char* name, const char* value) {
#ifdef _WIN32
  // _putenv_s changes the C run-time's copy, the one that the stand-in's getenv reads.
  return _putenv_s(name, value == nullptr ? "" : value) == 0;
#else
  return (value == nullptr ? unsetenv(name) : setenv(name, value, 1)) == 0;
#endif
}

// The variable's value, empty when it is unset: the environment service reads unset and
// empty alike, and so every platform shows them alike.
inline std::string environment_value(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace harness
