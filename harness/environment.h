// The process environment, which the stand-in environment service reads: set here so
// that a session or a test can show the message filter's switches at work.
#pragma once

namespace host {

// Sets `name` to `value`, or removes it when `value` is a null pointer. On Windows an
// empty value removes the variable too (the C run-time holds no empty variables); the
// environment service reads both as blanks. False when the run-time refuses.
bool set_environment(const char* name, const char* value);

}  // namespace host
