// The library that gyrix-host's steps run against, found and checked once before the
// first of them runs.
#pragma once

#include <memory>

#include "library.h"

namespace harness {

// The library, loaded; a null pointer, with the reason and where to read on, on standard
// error, when it cannot be loaded or is another library (one that exports none of the
// user-subroutine entry points).
std::unique_ptr<const Library> open_checked_library();

}  // namespace harness
