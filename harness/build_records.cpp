#include "build_records.h"

#include "file_reading.h"

namespace harness {

std::vector<std::string> find_records(std::string_view bytes) {
  constexpr std::string_view kEnds{"\0\n\">\\", 5};
  std::vector<std::string> records;
  std::size_t at = bytes.find(kRecordMarker);
  while (at != std::string_view::npos) {
    const std::size_t start = at + kRecordMarker.size();
    std::size_t end = start;
    while (end < bytes.size() && kEnds.find(bytes[end]) == std::string_view::npos) ++end;
    records.emplace_back(bytes.substr(start, end - start));
    at = bytes.find(kRecordMarker, end);
  }
  return records;
}

bool scan_records(const std::string& path, std::vector<std::string>& records, std::string* why) {
  records.clear();
  const std::optional<std::string> bytes = read_file(path, why);
  if (!bytes) return false;
  records = find_records(*bytes);
  return true;
}

}  // namespace harness
