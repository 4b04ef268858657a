#include "import_listing.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>
#include <stdexcept>

#include "binary_links.h"
#include "file_reading.h"
#include "library.h"

namespace harness {
namespace {

// Where a needed library is, and whether it exports a routine (nothing: not known).
struct NeededLibrary {
  std::string name;
  std::string where;
  std::optional<std::set<std::string>> beside;  // its exports, when its file lies beside

  std::optional<bool> exports(const std::string& routine) const {
    if (beside) return beside->count(routine) != 0;
    return system_library_exports(name, routine);
  }
};

NeededLibrary locate(const std::string& folder, const std::string& name) {
  NeededLibrary needed{name, "not found", std::nullopt};
  if (const std::optional<std::string> bytes = read_file(folder + "/" + name)) {
    const BinaryLinks links = read_links(*bytes);
    needed.beside.emplace(links.exports.begin(), links.exports.end());
    needed.where = "beside it";
  } else if (system_library_opens(name)) {
    needed.where = "found by the system's loader";
  }
  return needed;
}

}  // namespace

std::vector<LibraryImports> check_imports(const std::string& path) {
  std::string why;
  const std::optional<std::string> bytes = read_file(path, &why);
  if (!bytes) throw std::runtime_error("cannot read " + path + ": " + why);
  BinaryLinks links;
  try {
    links = read_links(*bytes);
  } catch (const UnreadableBinary& failure) {
    throw UnreadableBinary(path + " is no library: " + failure.what());
  }
  const std::string folder = folder_of(path);
  std::vector<NeededLibrary> needed;
  std::vector<LibraryImports> checked;
  for (const ImportedRoutines& imported : links.imports) {
    needed.push_back(locate(folder, imported.library));
    checked.push_back({imported.library, needed.back().where, imported.routines, {}});
  }
  // An ELF symbol comes from the first needed library that defines it.
  LibraryImports nowhere{{}, "none of the libraries it needs exports these", {}, {}};
  for (const std::string& routine : links.unattributed) {
    const auto from = std::find_if(needed.begin(), needed.end(), [&](const NeededLibrary& library) {
      return library.exports(routine).value_or(false);
    });
    if (from == needed.end()) {
      nowhere.routines.push_back(routine);
      nowhere.missing.push_back(routine);
    } else {
      checked[static_cast<std::size_t>(from - needed.begin())].routines.push_back(routine);
    }
  }
  for (std::size_t i = 0; i < checked.size(); ++i) {
    for (const std::string& routine : checked[i].routines) {
      if (!needed[i].exports(routine).value_or(true)) checked[i].missing.push_back(routine);
    }
  }
  if (!nowhere.routines.empty()) checked.push_back(nowhere);
  for (LibraryImports& library : checked)
    std::sort(library.routines.begin(), library.routines.end());
  return checked;
}

int list_imports(const std::string& path) {
  std::vector<LibraryImports> libraries;
  try {
    libraries = check_imports(path);
  } catch (const std::runtime_error& failure) {
    std::fprintf(stderr, "gyrix-host: %s\n", failure.what());
    return 1;
  }
  std::size_t missing = 0;
  std::printf("%s imports:\n", path.c_str());
  for (const LibraryImports& library : libraries) {
    std::printf("  %s (%s)\n", library.library.empty() ? "?" : library.library.c_str(),
                library.where.c_str());
    for (const std::string& routine : library.routines) {
      const bool lacking = std::count(library.missing.begin(), library.missing.end(), routine) != 0;
      std::printf("    %s%s\n", routine.c_str(), lacking ? "    MISSING" : "");
    }
    missing += library.missing.size();
  }
  if (missing == 0) return 0;
  std::fprintf(stderr,
               "gyrix-host: %zu routine(s) that %s imports are MISSING from the libraries "
               "it would load: the host would not load it\n",
               missing, path.c_str());
  return 1;
}

}  // namespace harness
