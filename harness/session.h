// gyrix-host's sessions: a file of steps played against the library, its transcript on
// standard output, and the comparison with an expected transcript.
#pragma once

#include <string>

namespace harness {

struct SessionFiles {
  std::string expected;  // compare the transcript with this file, when not empty
  std::string output;    // write the transcript to this file as well, when not empty: only
                         // when the session ran, and in one step
};

// Plays the session file `path`; the exit status: 0 when it ran (and matched the
// expected transcript), 1 when it did not match or the library cannot be loaded or is
// another library (nothing is run then), 2 when a file cannot be read or written or the
// session has an error (nothing is run then).
int run_session_file(const std::string& path, const SessionFiles& files);

}  // namespace harness
