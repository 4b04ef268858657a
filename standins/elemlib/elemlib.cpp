// Stand-in for the maker's element library: the environment service, and element
// routines that journal the words they receive and touch nothing but PAR(1).
#include "elemlib.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "host/host_services.h"
#include "journal.h"

void record_call(const char* routine, const void* const* words, std::size_t word_count,
                 std::size_t par_word) {
  JournalEntry* entry = journal_record(routine);
  if (entry == nullptr) return;
  entry->fp = read_fp_controls();
  const std::size_t kept = std::min(word_count, std::size_t{kJournalWordsMax});
  entry->word_count = static_cast<int32_t>(kept);
  std::copy(words, words + kept, entry->words);
  std::memcpy(&entry->par, words[par_word - 1], sizeof entry->par);
}

extern "C" {

void GYRIX_CALL QAV_GETENV(const char* name, int32_t name_len, char* value, int32_t value_len) {
  if (JournalEntry* entry = journal_record("QAV_GETENV")) {
    entry->fp = read_fp_controls();
    journal_copy_text(&entry->text[0], name, name_len);
    journal_copy_text(&entry->text[1], value, value_len);
  }
  if (value_len <= 0) return;
  char variable[kJournalTextMax] = {};
  const int32_t name_copied = std::clamp(name_len, int32_t{0}, int32_t{kJournalTextMax - 1});
  std::memcpy(variable, name, static_cast<std::size_t>(name_copied));
  const char* found = std::getenv(variable);
  const std::size_t length = found ? std::strlen(found) : 0;
  const int32_t writes = standin_getenv_writes();
  const std::size_t room =
      static_cast<std::size_t>(writes < 0 ? value_len : std::min(writes, value_len));
  std::memset(value, ' ', room);
  if (found) std::memcpy(value, found, std::min(length, room));
}

}  // extern "C"
