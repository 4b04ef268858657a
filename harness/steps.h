// gyrix-host's steps run against a loaded library: each prints what it did to standard
// output in a form that is the same on every platform, so that a session's transcript
// can be compared byte for byte.
#pragma once

#include "library.h"
#include "session_language.h"

namespace harness {

// Runs `step` and prints its outcome; a fatal report that would end the host's run is
// marked, and the stand-in ERRMES returns so that a session goes on. False when the step
// failed: a fatal report, a missing entry point, or an answer that is no logical.
bool run_step(const Library& library, const Step& step);

}  // namespace harness
