// The build records: eight texts in the library's data, each beginning with the marker
// "@(#)", so that a scan of the library file finds them. The version report prints
// them without the marker. Generated at configure time (build_records.cpp.in).
#pragma once

#include <cstddef>

namespace gyrix {

inline constexpr std::size_t kBuildRecordCount = 8;
inline constexpr std::size_t kRecordMarkerLength = 4;  // "@(#)"

// In the order of the report: library, release, build system, the three tools of the
// build, build moment, compile version.
extern const char* const kBuildRecords[kBuildRecordCount];

// The compile version of the last record read as a number.
extern const double kCompileVersion;

}  // namespace gyrix
