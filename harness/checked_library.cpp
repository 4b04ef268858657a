#include "checked_library.h"

#include <algorithm>
#include <cstdio>

#include "entry_points.h"

namespace harness {

std::unique_ptr<const Library> open_checked_library() {
  auto library = std::make_unique<const Library>();
  if (!library->loaded()) {
    std::fprintf(stderr,
                 "gyrix-host: cannot load %s: %s\ngyrix-host: docs/deployment.md says where the "
                 "library and its imports must lie, and how to list what it needs\n",
                 library->file().c_str(), library->error().c_str());
    return nullptr;
  }
  const bool exports_any =
      std::any_of(kUserSubroutines.begin(), kUserSubroutines.end(),
                  [&](const EntryPoint& entry) { return library->resolve(entry.name) != nullptr; });
  if (!exports_any) {
    std::fprintf(stderr,
                 "gyrix-host: %s is not the gyrix_solver library: it exports none of the %zu "
                 "user-subroutine entry points\ngyrix-host: name the library's own file in "
                 "GYRIX_SOLVER_LIBRARY, or unset it\n",
                 library->file().c_str(), kUserSubroutines.size());
    return nullptr;
  }
  return library;
}

}  // namespace harness
