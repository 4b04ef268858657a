// gyrix_solver_version: prints the build records to standard output and returns the
// compile version. A plain C routine, callable at any time.
#include <cstdio>

#include "init/build_records.h"

extern "C" double gyrix_solver_version(void) {
  std::printf("\n");
  for (const char* record : gyrix::kBuildRecords) {
    std::printf("\n%%gyrix_solver-i-gyrix_solver, %s", record + gyrix::kRecordMarkerLength);
  }
  std::printf("\n");
  // Standard output is not flushed: its buffering decides when the report is written.
  return gyrix::kCompileVersion;
}
