// Stand-in for the maker's element library: the environment service, and element
// routines that journal the words they receive and touch nothing but PAR(1).
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "host/element_routines.h"
#include "host/host_services.h"
#include "journal.h"

namespace {

// Journals a call of the element routine `routine`. `par_word` is the position of the
// PAR address, the one word an element routine of this kind may be relied on to read.
struct CallRecorder {
  const char* routine;
  std::size_t par_word;

  template <class... Words>
  void operator()(Words... words) const {
    JournalEntry* entry = journal_record(routine);
    if (entry == nullptr) return;
    entry->fp = read_fp_controls();
    const void* received[] = {words...};
    entry->word_count = sizeof...(words);
    std::copy(std::begin(received), std::end(received), entry->words);
    std::memcpy(&entry->par, received[par_word], sizeof entry->par);
  }
};

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
  const int32_t writes = standin_getenv_writes();
  const std::size_t room =
      static_cast<std::size_t>(writes < 0 ? value_len : std::min(writes, value_len));
  std::memset(value, ' ', room);
  if (found) std::memcpy(value, found, std::min(length, room));
}

}  // extern "C"

// The element routines, one for each route of the binary contract (entry_points.def),
// each of its dispatcher's words.
#define ROUTE(dispatcher, number, routine)                            \
  GYRIX_DEFINE_WORD_ROUTINE(routine, gyrix::kind::dispatcher::kWords, \
                            (CallRecorder{#routine, gyrix::kind::dispatcher::kParWord}))
#include "expand_entry_points.h"
