// Stand-in for the maker's element library: the environment service, and element
// routines that journal the words they receive and touch nothing but PAR(1).
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "host/element_routines.h"
#include "host/host_services.h"
#include "journal.h"

namespace {

// Journals an element routine's call. `par_word` is the position of the PAR address,
// the one word an element routine of this kind may be relied on to read.
template <class... Words>
void record(const char* routine, int par_word, Words... words) {
  JournalEntry* entry = journal_record(routine);
  if (entry == nullptr) return;
  entry->fp = read_fp_controls();
  const void* received[] = {words...};
  entry->word_count = sizeof...(words);
  std::copy(std::begin(received), std::end(received), entry->words);
  std::memcpy(&entry->par, received[par_word], sizeof entry->par);
}

}  // namespace

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
  const std::size_t room = static_cast<std::size_t>(value_len);
  std::memset(value, ' ', room);
  if (found) std::memcpy(value, found, std::min(length, room));
}

void GYRIX_CALL CON900(Word a, Word b) { record("CON900", 0, a, b); }
void GYRIX_CALL CON905(Word a, Word b) { record("CON905", 0, a, b); }
void GYRIX_CALL CON917(Word a, Word b) { record("CON917", 0, a, b); }
void GYRIX_CALL CON920(Word a, Word b) { record("CON920", 0, a, b); }

void GYRIX_CALL DIF901(Word a, Word b, Word c, Word d, Word e, Word f, Word g) {
  record("DIF901", 2, a, b, c, d, e, f, g);
}
void GYRIX_CALL DIF1117(Word a, Word b, Word c, Word d, Word e, Word f, Word g) {
  record("DIF1117", 2, a, b, c, d, e, f, g);
}

void GYRIX_CALL FIE900(Word a, Word b, Word c, Word d, Word e, Word f, Word g, Word h, Word i,
                       Word j, Word k) {
  record("FIE900", 2, a, b, c, d, e, f, g, h, i, j, k);
}
void GYRIX_CALL FIE901(Word a, Word b, Word c, Word d, Word e, Word f, Word g, Word h, Word i,
                       Word j, Word k) {
  record("FIE901", 2, a, b, c, d, e, f, g, h, i, j, k);
}
void GYRIX_CALL FIE910(Word a, Word b, Word c, Word d, Word e, Word f, Word g, Word h, Word i,
                       Word j, Word k) {
  record("FIE910", 2, a, b, c, d, e, f, g, h, i, j, k);
}

void GYRIX_CALL REQ904(Word a, Word b, Word c, Word d, Word e, Word f) {
  record("REQ904", 2, a, b, c, d, e, f);
}
void GYRIX_CALL REQ905(Word a, Word b, Word c, Word d, Word e, Word f) {
  record("REQ905", 2, a, b, c, d, e, f);
}
void GYRIX_CALL REQ909(Word a, Word b, Word c, Word d, Word e, Word f) {
  record("REQ909", 2, a, b, c, d, e, f);
}

void GYRIX_CALL SFO901(Word a, Word b, Word c, Word d, Word e, Word f, Word g) {
  record("SFO901", 2, a, b, c, d, e, f, g);
}

void GYRIX_CALL VAR907(Word a, Word b, Word c, Word d, Word e, Word f, Word g) {
  record("VAR907", 2, a, b, c, d, e, f, g);
}
void GYRIX_CALL VAR913(Word a, Word b, Word c, Word d, Word e, Word f, Word g) {
  record("VAR913", 2, a, b, c, d, e, f, g);
}
void GYRIX_CALL VAR1117(Word a, Word b, Word c, Word d, Word e, Word f, Word g) {
  record("VAR1117", 2, a, b, c, d, e, f, g);
}

}  // extern "C"
