// The message filter reads its arguments only up to the lengths it is given and never
// writes through them: texts that end a read-only page, with an inaccessible page
// behind, are answered without a fault.
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string_view>

#include "test_support.h"

namespace {

// A read-only page followed by an inaccessible guard page; texts are placed so that their
// last character is the last readable byte.
class GuardedPage {
 public:
  GuardedPage() : size_(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))) {
    void* mapped =
        mmap(nullptr, 2 * size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped != MAP_FAILED) base_ = static_cast<char*>(mapped);
  }
  ~GuardedPage() {
    if (base_ != nullptr) munmap(base_, 2 * size_);
  }
  GuardedPage(const GuardedPage&) = delete;
  GuardedPage& operator=(const GuardedPage&) = delete;

  bool ready() const { return base_ != nullptr; }

  // Writes `text` to end at the guard page, then makes the pages read-only and no-access.
  const char* place(std::string_view text) {
    mprotect(base_, size_, PROT_READ | PROT_WRITE);
    char* start = guard() - text.size();
    std::memcpy(start, text.data(), text.size());
    const bool locked =
        mprotect(base_, size_, PROT_READ) == 0 && mprotect(base_ + size_, size_, PROT_NONE) == 0;
    return locked ? start : nullptr;
  }
  char* guard() const { return base_ + size_; }

 private:
  std::size_t size_;
  char* base_ = nullptr;
};

struct EdgeCase {
  std::string_view msgid;
  std::string_view subid;
  int32_t expected;
};

// Short texts that a filter reading its full copy length would read past.
constexpr EdgeCase kEdgeCases[] = {
    {"MOTFCH", "MOTDEP", 0},    {"MOTFC", "MOTDEP", -1},           {"I", "OUTDATED", -1},
    {"INFO", "FNCFLG.T.", 0},   {"ALFR5", "FRCI_AO", 0},           {"SDFDIR", "NO_DIS", -1},
    {"UVCHEK", "BIG_DIFF", -1}, {"RPNFRC", "ZERO_AOFS", 0},        {"DFFDEP", "O", -1},
    {"VALGET", "LIMIT", -1},    {"MOTFCHX", "MOTDEPXYZXYZXYZ", 0},
};

using FilterMemory = test::LibraryTest;

TEST_F(FilterMemory, ArgumentsEndingAReadOnlyPageBeforeAGuardPage) {
  const host::MessageFilter filter = test::message_filter();
  ASSERT_NE(filter, nullptr);
  // Every switch at its default, so that switched keywords show.
  for (const char* variable : {"QAV_VELTA_MSG_UVCHEK", "ZUN_TOLK_XTRAP_WARN",
                               "ZUN_TOLK_DFFDEP_WARN", "QAV_VELTA_MSG_RPNFRC"}) {
    test::set_variable(variable, nullptr);
  }
  GuardedPage id_page;
  GuardedPage sub_page;
  ASSERT_TRUE(id_page.ready() && sub_page.ready());
  for (const EdgeCase& c : kEdgeCases) {
    const char* msgid = id_page.place(c.msgid);
    const char* subid = sub_page.place(c.subid);
    ASSERT_TRUE(msgid != nullptr && subid != nullptr);
    EXPECT_EQ(filter(msgid, static_cast<int32_t>(c.msgid.size()), subid,
                     static_cast<int32_t>(c.subid.size())),
              c.expected)
        << c.msgid << "/" << c.subid;
  }
  // Empty and negative lengths at the guard page itself: nothing may be read there.
  for (const int32_t empty : {0, -1, -100}) {
    EXPECT_EQ(filter(id_page.guard(), empty, sub_page.guard(), empty), -1) << empty;
    const char* msgid = id_page.place("MOTFCH");
    EXPECT_EQ(filter(msgid, 6, sub_page.guard(), empty), -1) << empty;
  }
}

}  // namespace
