// Finds the build records in any file, without loading it: the texts that follow the
// marker "@(#)", as the classic `what` tool lists them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace harness {

inline constexpr std::string_view kRecordMarker = "@(#)";

// Every record of `bytes` in file order: the text behind each marker up to a NUL, a
// newline, '"', '>', '\\' or the end of the data.
std::vector<std::string> find_records(std::string_view bytes);

// The same for the file `path`. False, with `records` empty, when it cannot be read;
// then `why` (when given) says why.
bool scan_records(const std::string& path, std::vector<std::string>& records,
                  std::string* why = nullptr);

}  // namespace harness
