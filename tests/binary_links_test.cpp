// Reading what a library imports and exports from its file: the built library's own
// links, and bytes that are cut short or are no library refused with a reason, never
// read past their end (the sanitizers watch).
#include "binary_links.h"

#include <algorithm>
#include <optional>
#include <string>

#include "file_reading.h"
#include "test_support.h"

namespace {

std::string library_bytes() {
  const std::optional<std::string> bytes = harness::read_file(test::library().path());
  return bytes ? *bytes : std::string();
}

bool holds(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(BinaryLinks, TheBuiltLibraryExportsItsEntryPointsAndNeedsTheHostLibraries) {
  const std::string bytes = library_bytes();
  ASSERT_FALSE(bytes.empty()) << test::library().path();
  const harness::BinaryLinks links = harness::read_links(bytes);
  EXPECT_TRUE(holds(links.exports, std::string(harness::exported_name("SFOSUB"))));
  EXPECT_TRUE(holds(links.exports, "gyrix_solver_version"));
  // "elemlib.dll" on Windows, "libelemlib.so" on Linux.
  for (const std::string needed : {"hostutil.", "elemlib.", "tirelib.", "propdb."}) {
    EXPECT_TRUE(std::any_of(links.imports.begin(), links.imports.end(), [&](const auto& library) {
      return library.library.find(needed) != std::string::npos;
    })) << needed;
  }
}

// Every length of the file cut short either reads (its tables lie before the cut) or is
// refused; the shortest ones and foreign bytes always are.
TEST(BinaryLinks, CutShortOrForeignBytesAreRefused) {
  const std::string bytes = library_bytes();
  ASSERT_FALSE(bytes.empty());
  for (std::size_t length = 0; length < bytes.size(); length += 61) {
    try {
      harness::read_links(std::string_view(bytes).substr(0, length));
      EXPECT_GT(length, 64u) << "a header cut short was read";
    } catch (const harness::UnreadableBinary&) {
    }
  }
  for (const char* foreign : {"", "MZ",
                              "\x7f"
                              "ELF",
                              "a session file\n"}) {
    EXPECT_THROW(harness::read_links(foreign), harness::UnreadableBinary) << foreign;
  }
}

}  // namespace
