// gyrix_solver_version: prints the build records to standard output and returns the
// compile version. A plain C routine, callable at any time.
// <stdio.h> before any C++ header: on Windows, libstdc++'s configuration header switches
// on MinGW's own stdio, and the report prints through the C run-time's printf.
#include <stdio.h>

#include "init/build_records.h"

extern "C" double gyrix_solver_version(void) {
  printf("\n");
  for (const char* record : gyrix::kBuildRecords) {
    printf("\n%%gyrix_solver-i-gyrix_solver, %s", record + gyrix::kRecordMarkerLength);
  }
  printf("\n");
  // Standard output is not flushed: its buffering decides when the report is written.
  return gyrix::kCompileVersion;
}
