#include "journal.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace {

JournalEntry entries[kJournalCapacity];
std::atomic<int32_t> reserved{0};
std::atomic<int32_t> dropped{0};
std::atomic<int32_t> quiet{0};
std::atomic<int32_t> echo{1};
std::atomic<int32_t> errmes_returns{0};
std::atomic<int32_t> install_status{0};
std::atomic<int32_t> getenv_writes{-1};

}  // namespace

extern "C" {

int32_t journal_size(void) { return std::min(reserved.load(), int32_t{kJournalCapacity}); }

const JournalEntry* journal_entry(int32_t index) {
  return index >= 0 && index < journal_size() ? &entries[index] : nullptr;
}

int32_t journal_dropped(void) { return dropped.load(); }

void journal_clear(void) {
  reserved = 0;
  dropped = 0;
}

JournalEntry* journal_record(const char* routine) {
  if (quiet.load(std::memory_order_relaxed)) return nullptr;
  const int32_t index = reserved.fetch_add(1);
  if (index >= kJournalCapacity) {
    reserved.fetch_sub(1);
    ++dropped;
    return nullptr;
  }
  JournalEntry* entry = &entries[index];
  *entry = JournalEntry{};
  std::strncpy(entry->routine, routine, sizeof entry->routine - 1);
  return entry;
}

void journal_copy_text(JournalText* text, const char* chars, int32_t length) {
  text->length = length;
  const int32_t copied = std::clamp(length, int32_t{0}, int32_t{kJournalTextMax});
  if (copied > 0) std::memcpy(text->chars, chars, static_cast<std::size_t>(copied));
}

void standin_set_quiet(int32_t value) { quiet = value; }
void standin_set_echo(int32_t value) { echo = value; }
int32_t standin_echo(void) { return echo && !quiet; }
void standin_set_errmes_returns(int32_t value) { errmes_returns = value; }
int32_t standin_errmes_returns(void) { return errmes_returns; }
void standin_set_install_status(int32_t value) { install_status = value; }
int32_t standin_install_status(void) { return install_status; }
void standin_set_getenv_writes(int32_t value) { getenv_writes = value; }
int32_t standin_getenv_writes(void) { return getenv_writes; }

}  // extern "C"
