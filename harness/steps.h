// gyrix-host's steps run against a loaded library: each prints what it did to standard
// output in a form that is the same on every platform, so that a session's transcript
// can be compared byte for byte.
#pragma once

#include <memory>

#include "library.h"
#include "session_language.h"

namespace harness {

// Runs `step` and prints its outcome; a fatal report that would end the host's run is
// marked, and the stand-in ERRMES returns so that a session goes on. False when the step
// failed: a fatal report, a missing entry point, or an answer that is no logical.
bool run_step(const Library& library, const Step& step);

// The library that the steps run against, found and checked once before the first of
// them runs; a null pointer, with the reason and where to read on, on standard error,
// when it cannot be loaded or is another library (one that exports none of the
// user-subroutine entry points).
std::unique_ptr<const Library> open_checked_library();

}  // namespace harness
