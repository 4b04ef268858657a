// What a piece of the harness, and the library it calls, print to standard output: the
// library prints through the same C run-time's standard output, so the bytes arrive in
// the order they were printed.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace harness {

// Runs `print` with standard output going into a temporary file and returns what was
// written there. Throws std::runtime_error when no temporary file can be made.
std::string capture_standard_output(const std::function<void()>& print);

}  // namespace harness
