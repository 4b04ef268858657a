// gyrix-host's start-up and identification steps: CAR_INIT with its banner and the
// handler installation, the installation alone, and the version report.
#pragma once

#include <cstdint>
#include <cstdio>

#include "library.h"

namespace harness {

// Calls CAR_INIT once, the stand-in installation returning `install_status`, and prints
// to `out` the banner with its blanks visible and the outcome of the installation.
// Returns whether the start-up ended in a fatal report (or CAR_INIT is missing).
bool show_start_up(const Library& library, int32_t install_status, std::FILE* out);

// Calls TK_GYRX_TIRINIT once, the stand-in installation returning `install_status`, and
// prints what the tire library received and the status returned. False when the status
// is not 0 or the library lacks it.
bool show_tire_installation(const Library& library, int32_t install_status);

// Calls gyrix_solver_version, whose report goes to standard output, then prints the
// number it returned. False when the library lacks it.
bool show_version_report(const Library& library);

}  // namespace harness
