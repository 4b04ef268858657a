// One call of a user-subroutine entry point as the host makes it, and what the stand-in
// services saw of it.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "call_words.h"
#include "entry_points.h"
#include "journal.h"
#include "library.h"

namespace harness {

// The argument words of one call: each points at harmless storage of its own, and the
// PAR word at an array whose first element is PAR(1).
struct HostArguments {
  double storage[kMaxWords][8] = {};
  gyrix::Word words[kMaxWords] = {};

  explicit HostArguments(const EntryPoint& entry, double par1 = 0.0) {
    for (std::size_t i = 0; i < kMaxWords; ++i) words[i] = storage[i];
    if (entry.par_word) storage[*entry.par_word - 1][0] = par1;
  }
  // The words point into the object itself: a copy would point at the original.
  HostArguments(const HostArguments&) = delete;
  HostArguments& operator=(const HostArguments&) = delete;
};

// Calls `entry` in `library` with `arguments`. False when the library lacks it.
bool call_user_subroutine(const Library& library, const EntryPoint& entry,
                          const HostArguments& arguments);

// Prints, one block each, the journal entries from `first` on; `arguments` tells which
// received words were the host's own.
void print_journal(std::FILE* out, int first, const HostArguments* arguments = nullptr);

// Prints one journal entry as print_journal does.
void print_journal_entry(std::FILE* out, const JournalEntry& entry,
                         const HostArguments* arguments = nullptr);

// The characters of a journaled text that the journal kept: as many as its length and
// the journal's room allow.
std::string_view journaled_text(const JournalText& text);

// Copies of the journal entries recorded from index `first` on.
std::vector<JournalEntry> journal_since(int first);

// A double as printf's "%.15g" shows it; NaN and the infinities alike on every platform.
std::string shown_number(double value);

// Whether the journaled call is a fatal report that ends the host's run (end flag STOP).
bool ends_run(const JournalEntry& entry);

// Prints a text between bars, so that its blanks show, every byte visible
// (visible_bytes).
void print_barred(std::FILE* out, std::string_view label, const JournalText& text);

}  // namespace harness
