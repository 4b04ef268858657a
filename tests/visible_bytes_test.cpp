// The one form in which transcripts show the bytes of a received text (docs/sessions.md).
#include "visible_bytes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Shown {
  std::string bytes;
  std::string shown;
};

const Shown kShown[] = {
    {"Rig 4  ~", "Rig 4  ~"},                         // printable ASCII as it is
    {std::string("A\0B", 3), "A\\x00B"},              // a NUL, and the byte after it
    {"\r\n\t\x1b\x7f", "\\x0d\\x0a\\x09\\x1b\\x7f"},  // controls, DEL
    {"\xc3\xa9\xff", "\\xc3\\xa9\\xff"},              // bytes above 0x7f
    {"a\\x00", "a\\x5cx00"},                          // a backslash never reads as an escape
};

TEST(VisibleBytes, EveryByteShowsInOneForm) {
  for (const Shown& c : kShown) EXPECT_EQ(harness::visible_bytes(c.bytes), c.shown) << c.shown;
}

}  // namespace
