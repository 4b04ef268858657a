// Stand-in for the host's utility library: journals each message, shows it on standard
// error, and ends the run on a fatal report unless told to return.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/host_services.h"
#include "journal.h"

namespace {

constexpr int kFatalExitStatus = 3;

int printable(int32_t length) { return length > 0 ? length : 0; }

// Journals the call and shows the message on standard error, the tag (end flag or
// message type) in brackets and the message between bars.
void record_and_show(const char* routine, const int32_t* flag, const char* msg, int32_t msg_len,
                     const int32_t* id, const char* tag, int32_t tag_len) {
  if (JournalEntry* entry = journal_record(routine)) {
    entry->fp = read_fp_controls();
    entry->flag = *flag;
    entry->id = *id;
    journal_copy_text(&entry->text[0], msg, msg_len);
    journal_copy_text(&entry->text[1], tag, tag_len);
  }
  if (standin_echo()) {
    std::fprintf(stderr, "%s [%.*s] id %d: |%.*s|\n", routine, printable(tag_len), tag,
                 static_cast<int>(*id), printable(msg_len), msg);
  }
}

}  // namespace

extern "C" {

void GYRIX_CALL ERRMES(const int32_t* flag, const char* msg, int32_t msg_len, const int32_t* id,
                       const char* end, int32_t end_len) {
  record_and_show("ERRMES", flag, msg, msg_len, id, end, end_len);
  const bool stop = end_len == 4 && std::memcmp(end, "STOP", 4) == 0;
  if (stop && *flag != 0 && !standin_errmes_returns()) {
    std::fflush(nullptr);
    std::exit(kFatalExitStatus);
  }
}

void GYRIX_CALL USRMES(const int32_t* flag, const char* msg, int32_t msg_len, const int32_t* id,
                       const char* type, int32_t type_len) {
  record_and_show("USRMES", flag, msg, msg_len, id, type, type_len);
}

}  // extern "C"
