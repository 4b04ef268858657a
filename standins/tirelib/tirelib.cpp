// Stand-in for the maker's tire library: journals the handler it is given and returns
// the status it has been told to (0 unless told otherwise).
#include "host/tire_database.h"
#include "journal.h"

extern "C" int32_t stiHanSetDba(DatabaseHandler handler) {
  if (JournalEntry* entry = journal_record("stiHanSetDba")) {
    entry->fp = read_fp_controls();
    entry->handler = reinterpret_cast<const void*>(handler);
  }
  return standin_install_status();
}
