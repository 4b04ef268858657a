// The message filter reads its arguments only up to the lengths it is given and never
// writes through them: texts that end a read-only page, with an inaccessible page
// behind, are answered without a fault.
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string_view>

#include "test_support.h"

namespace {

// A read-only page and an inaccessible guard page; place() puts a text so that its last
// character is the last readable byte.
class GuardedPage {
 public:
  GuardedPage() {
    void* mapped = mmap(nullptr, 2 * size_, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    base_ = mapped == MAP_FAILED ? nullptr : static_cast<char*>(mapped);
  }
  ~GuardedPage() { munmap(base_, 2 * size_); }
  GuardedPage(const GuardedPage&) = delete;
  GuardedPage& operator=(const GuardedPage&) = delete;

  const char* place(std::string_view text) {
    if (base_ == nullptr || mprotect(base_, size_, PROT_READ | PROT_WRITE) != 0) return nullptr;
    char* start = guard() - text.size();
    std::memcpy(start, text.data(), text.size());
    return mprotect(base_, size_, PROT_READ) == 0 ? start : nullptr;
  }
  char* guard() const { return base_ + size_; }

 private:
  std::size_t size_ = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  char* base_ = nullptr;
};

struct EdgeCase {
  std::string_view msgid, subid;
  int32_t expected;
};

// Texts shorter than the copies: a filter that read its full copy length would fault.
constexpr EdgeCase kEdgeCases[] = {{"MOTFCH", "MOTDEP", 0},    {"MOTFC", "MOTDEP", -1},
                                   {"I", "OUTDATED", -1},      {"INFO", "FNCFLG.T.", 0},
                                   {"ALFR5", "FRCI_AO", 0},    {"SDFDIR", "NO_DIS", -1},
                                   {"UVCHEK", "BIG_DIFF", -1}, {"RPNFRC", "ZERO_AOFS", 0},
                                   {"DFFDEP", "O", -1},        {"MOTFCHX", "MOTDEPXYZXYZXYZ", 0}};

using FilterMemory = test::LibraryTest;

TEST_F(FilterMemory, ArgumentsEndingAReadOnlyPageBeforeAGuardPage) {
  const harness::MessageFilter filter = test::message_filter();
  ASSERT_NE(filter, nullptr);
  test::set_variable("QAV_VELTA_MSG_UVCHEK", nullptr);  // its message shown
  GuardedPage id_page;
  GuardedPage sub_page;
  for (const EdgeCase& c : kEdgeCases) {
    const char* msgid = id_page.place(c.msgid);
    const char* subid = sub_page.place(c.subid);
    ASSERT_TRUE(msgid != nullptr && subid != nullptr) << "no guarded pages";
    EXPECT_EQ(filter(msgid, static_cast<int32_t>(c.msgid.size()), subid,
                     static_cast<int32_t>(c.subid.size())),
              c.expected)
        << c.msgid << "/" << c.subid;
  }
  // Empty and negative lengths pointing at the guard page: nothing may be read there.
  const char* msgid = id_page.place("MOTFCH");
  for (const int32_t empty : {0, -1, -100}) {
    EXPECT_EQ(filter(id_page.guard(), empty, sub_page.guard(), empty), -1) << empty;
    EXPECT_EQ(filter(msgid, 6, sub_page.guard(), empty), -1) << empty;
  }
}

}  // namespace
