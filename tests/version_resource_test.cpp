// The version resource of the Windows library file, read back as Windows reads it.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

class VersionResource : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = test::library().path();
    ASSERT_FALSE(path.empty()) << test::library().error();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << path << " has no version resource";
    data_.resize(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data_.data()));
  }

  // The value at `block`, or a null pointer.
  const void* value(const char* block, UINT& length) {
    void* found = nullptr;
    if (!VerQueryValueA(data_.data(), block, &found, &length)) return nullptr;
    return found;
  }

  std::string text(const char* name) {
    UINT length = 0;
    const std::string block = std::string("\\StringFileInfo\\040904B0\\") + name;
    const char* found = static_cast<const char*>(value(block.c_str(), length));
    if (found == nullptr || length == 0) return "(missing)";
    return std::string(found, length - 1);  // the length counts the terminator
  }

  std::vector<char> data_;
};

TEST_F(VersionResource, NumericVersions) {
  UINT length = 0;
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value("\\", length));
  ASSERT_NE(fixed, nullptr);
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, (2007u << 16) | 1u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, (1u << 16) | 0u);
  EXPECT_EQ(fixed->dwProductVersionLS, (0u << 16) | 1u);
}

TEST_F(VersionResource, UsEnglishUnicodeStrings) {
  UINT length = 0;
  const auto* translation = static_cast<const WORD*>(value("\\VarFileInfo\\Translation", length));
  ASSERT_NE(translation, nullptr);
  ASSERT_GE(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1200);

  EXPECT_EQ(text("FileVersion"), "2007.1.0");
  EXPECT_EQ(text("FileDescription"), "Built on 2008-03-06 15:20:02");
  EXPECT_EQ(text("InternalName"), "gyrix_solver.dll");
  EXPECT_EQ(text("OriginalFilename"), "gyrix_solver.dll");
  EXPECT_EQ(text("ProductName"), "gyrix_solver");
  EXPECT_EQ(text("ProductVersion"), "1.0.0.1");
  // No maker or rights are claimed.
  EXPECT_EQ(text("CompanyName"), "(missing)");
  EXPECT_EQ(text("LegalCopyright"), "(missing)");
}

}  // namespace
