// The version report: the exact bytes on standard output, the number returned, and the
// build records as a scan of the library file finds them.
#include <cstdint>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "files.h"
#include "test_support.h"

namespace {

using VersionReport = double (*)();

const std::string kLinePrefix = "%gyrix_solver-i-gyrix_solver, ";

// The records whose texts are fixed, by position (0-based); 3 to 5 name the tools.
const std::pair<std::size_t, std::string> kFixedRecords[] = {
    {0, "QAV Utility  lib: gyrix_solver"},  {1, "QAV Release  ver: (2008.1.0)"},
    {2, "QAV Compile   os: Windows_NT 5"},  {6, "QAV Compile date: 2008-03-06 15:20:02"},
    {7, "QAV Compile  ver: 20080306.1520"},
};

uint64_t bits_of(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// The report with the Windows run-time's text-mode line ends made plain.
std::string plain(std::string bytes) {
#if defined(_WIN32)
  std::string::size_type at = 0;
  while ((at = bytes.find("\r\n", at)) != std::string::npos) bytes.erase(at, 1), ++at;
#endif
  return bytes;
}

class VersionTest : public test::LibraryTest {
 protected:
  void SetUp() override {
    test::LibraryTest::SetUp();
    report_ = reinterpret_cast<VersionReport>(test::library().resolve("gyrix_solver_version"));
    ASSERT_NE(report_, nullptr) << "gyrix_solver_version is not exported";
  }

  // Calls the report; its output, line ends made plain, and the number it returned.
  std::string call(double& returned) const {
    return plain(test::capture_stdout([&] { returned = report_(); }));
  }

  // The record texts of a report: the opening empty line, then one prefixed line each.
  static std::vector<std::string> printed_records(const std::string& output) {
    std::vector<std::string> records;
    if (output.size() < 2 || output.front() != '\n' || output.back() != '\n') return records;
    std::string::size_type at = 1;
    while (at < output.size() - 1) {
      if (output.compare(at, 1 + kLinePrefix.size(), "\n" + kLinePrefix) != 0) return {};
      at += 1 + kLinePrefix.size();
      const std::string::size_type end = output.find('\n', at);
      records.push_back(output.substr(at, end - at));
      at = end;
    }
    return records;
  }

  VersionReport report_ = nullptr;
};

TEST_F(VersionTest, PrintsTheEightRecordsExactly) {
  double returned = 0.0;
  const std::string output = call(returned);
  const std::vector<std::string> records = printed_records(output);
  ASSERT_EQ(records.size(), 8u) << "output: |" << output << "|";

  std::string expected = "\n";
  for (const std::string& record : records) expected += "\n" + kLinePrefix + record;
  expected += "\n";
  EXPECT_EQ(output, expected);
  for (const auto& [position, text] : kFixedRecords) EXPECT_EQ(records[position], text);

  // The tool records: "QAV ", a name filled to 8 characters, "opts: (", options, ")".
  for (std::size_t position = 3; position < 6; ++position) {
    const std::string& record = records[position];
    ASSERT_GT(record.size(), 20u) << record;
    EXPECT_EQ(record.substr(0, 4), "QAV ") << record;
    EXPECT_NE(record[4], ' ') << record;
    EXPECT_EQ(record.substr(12, 7), "opts: (") << record;
    EXPECT_EQ(record.back(), ')') << record;
  }
  EXPECT_NE(records[5].find(" -I"), std::string::npos) << "the include paths: " << records[5];
  for (const std::string& record : records) EXPECT_EQ(record.find(':'), 16u) << record;
}

TEST_F(VersionTest, ReturnsTheCompileVersionBitForBit) {
  double returned = 0.0;
  call(returned);
  EXPECT_EQ(bits_of(returned), bits_of(20080306.152));
  EXPECT_NE(bits_of(returned), bits_of(20080306.15));
  EXPECT_NE(bits_of(returned), bits_of(static_cast<float>(20080306.152)));
}

TEST_F(VersionTest, EveryCallPrintsTheWholeReportAgain) {
  double first = 0.0;
  const std::string once = call(first);
  double second = 0.0;
  double third = 0.0;
  const std::string twice = plain(test::capture_stdout([&] {
    second = report_();
    third = report_();
  }));
  EXPECT_EQ(twice, once + once);
  EXPECT_EQ(bits_of(second), bits_of(first));
  EXPECT_EQ(bits_of(third), bits_of(first));
}

// The records are in the library file as loaded, whole, and they are the very texts
// that the report prints; the file holds no other marked text.
TEST_F(VersionTest, LibraryFileCarriesTheRecords) {
  double returned = 0.0;
  const std::vector<std::string> printed = printed_records(call(returned));
  ASSERT_EQ(printed.size(), 8u);

  const std::string path = test::library().path();
  ASSERT_FALSE(path.empty());
  const std::optional<std::string> bytes = harness::read_file(path);
  ASSERT_TRUE(bytes) << path;
  // What `strings -a FILE | grep '@(#)'` lists: each marker's text, up to its NUL.
  const std::string marker = "@(#)";
  std::set<std::string> found;
  for (std::size_t at = bytes->find(marker); at != std::string::npos;
       at = bytes->find(marker, at + 1)) {
    found.insert(bytes->substr(at + marker.size(), bytes->find('\0', at) - at - marker.size()));
  }
  EXPECT_EQ(found, std::set<std::string>(printed.begin(), printed.end())) << path;
}

}  // namespace
