// Stand-in for the maker's database library: a search routine that knows no key.
#include "host/tire_database.h"
#include "journal.h"

extern "C" int32_t db_search(const char* key, int32_t key_len, double* value) {
  if (JournalEntry* entry = journal_record("db_search")) {
    entry->fp = read_fp_controls();
    journal_copy_text(&entry->text[0], key, key_len);
  }
  *value = 0.0;
  return 1;
}
