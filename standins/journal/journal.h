// The stand-ins' journal: every call of a stand-in routine, in order, with everything
// it was passed. Tests and the host harness read it; the stand-ins write it. Also the
// switches that tell the stand-ins how to behave.
#pragma once

#include <cstdint>

#include "fp_control.h"

extern "C" {

enum : int32_t {
  kJournalNameMax = 16,
  kJournalWordsMax = 16,
  kJournalTextMax = 256,
  kJournalCapacity = 4096,
};

struct JournalText {
  int32_t length;               // the length as passed, whatever it is
  char chars[kJournalTextMax];  // the first characters, as many as the length and room allow
};

struct JournalEntry {
  char routine[kJournalNameMax];        // "ERRMES", "CON900", ...: zero-terminated
  int32_t word_count;                   // argument words received
  const void* words[kJournalWordsMax];  // the argument words, in order
  double par;                           // element routines: PAR(1), read through the PAR word
  int32_t flag;                         // ERRMES, USRMES: the flag's value
  int32_t id;                           // ERRMES, USRMES: the message id's value
  JournalText text[2];                  // ERRMES, USRMES: message and end flag or type;
                                        // QAV_GETENV: name, and the value buffer as it came in
  const void* handler;                  // stiHanSetDba: the address handed to it
  FpControls fp;                        // floating-point controls in force when the call came in
};

// The number of entries recorded since the last clear (at most kJournalCapacity).
int32_t journal_size(void);
// The entry at `index`, or a null pointer outside 0 .. journal_size() - 1.
const JournalEntry* journal_entry(int32_t index);
// The number of calls that found the journal full and were not recorded.
int32_t journal_dropped(void);
void journal_clear(void);

// For the stand-ins: a zeroed entry named `routine` to fill in, or a null pointer when
// the journal is full or quiet. Safe to call from several threads at once.
JournalEntry* journal_record(const char* routine);
// Copies a passed text into `text`, never reading past `length` characters.
void journal_copy_text(JournalText* text, const char* chars, int32_t length);

// Quiet: nothing is recorded and nothing printed (for measurements).
void standin_set_quiet(int32_t quiet);
// Echo (on unless told otherwise): the host's messages are shown on standard error.
void standin_set_echo(int32_t echo);
int32_t standin_echo(void);
// ERRMES with end flag "STOP" returns instead of ending the run (tests need it).
void standin_set_errmes_returns(int32_t returns);
int32_t standin_errmes_returns(void);
// How many characters of its value buffer QAV_GETENV writes at most; negative (the
// default) for all of them, as the host's service does. Fewer play a faulty service.
void standin_set_getenv_writes(int32_t count);
int32_t standin_getenv_writes(void);
// The status that stiHanSetDba returns (0 unless told otherwise).
void standin_set_install_status(int32_t status);
int32_t standin_install_status(void);

}  // extern "C"
