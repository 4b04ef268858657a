#include "host_call.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "visible_bytes.h"

namespace harness {

bool call_user_subroutine(const Library& library, const EntryPoint& entry,
                          const HostArguments& arguments) {
  void* routine = library.resolve(entry);
  if (routine == nullptr) return false;
  call_words(routine, static_cast<std::size_t>(entry.words), arguments.words);
  return true;
}

std::string_view journaled_text(const JournalText& text) {
  const int32_t kept = std::clamp(text.length, int32_t{0}, int32_t{kJournalTextMax});
  return {text.chars, static_cast<std::size_t>(kept)};
}

std::vector<JournalEntry> journal_since(int first) {
  std::vector<JournalEntry> entries;
  for (int i = first; i < journal_size(); ++i) entries.push_back(*journal_entry(i));
  return entries;
}

void print_barred(std::FILE* out, std::string_view label, const JournalText& text) {
  const std::string shown = visible_bytes(journaled_text(text));
  std::fprintf(out, "    %.*s (%d): |%s|\n", static_cast<int>(label.size()), label.data(),
               static_cast<int>(text.length), shown.c_str());
}

std::string shown_number(double value) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char digits[32];
  std::snprintf(digits, sizeof digits, "%.15g", value);
  return digits;
}

bool ends_run(const JournalEntry& entry) {
  return std::string_view(entry.routine) == "ERRMES" && journaled_text(entry.text[1]) == "STOP";
}

namespace {

bool host_words(const JournalEntry& entry, const HostArguments& arguments) {
  return std::equal(entry.words, entry.words + entry.word_count, arguments.words);
}

}  // namespace

void print_journal_entry(std::FILE* out, const JournalEntry& entry,
                         const HostArguments* arguments) {
  const std::string_view routine = entry.routine;
  if (routine == "ERRMES" || routine == "USRMES") {
    std::fprintf(out, "  %s: flag %d, message id %d\n", entry.routine, static_cast<int>(entry.flag),
                 static_cast<int>(entry.id));
    print_barred(out, "message", entry.text[0]);
    print_barred(out, routine == "ERRMES" ? "end flag" : "type", entry.text[1]);
  } else if (routine == "QAV_GETENV") {
    std::fprintf(out, "  QAV_GETENV:\n");
    print_barred(out, "name", entry.text[0]);
    print_barred(out, "buffer as passed", entry.text[1]);
  } else if (routine == "stiHanSetDba") {
    // Addresses differ from run to run: only whether it is the database search shows.
    const void* db_search = sibling_routine("propdb", "db_search");
    std::fprintf(out, "  stiHanSetDba: handler %s\n",
                 db_search != nullptr && entry.handler == db_search
                     ? "db_search of propdb (the same address)"
                     : "NOT db_search of propdb");
  } else {
    std::fprintf(out, "  %s: %d argument words%s, PAR(1) = %s\n", entry.routine,
                 static_cast<int>(entry.word_count),
                 arguments == nullptr            ? ""
                 : host_words(entry, *arguments) ? ", the very ones the host passed"
                                                 : ", NOT the ones the host passed",
                 shown_number(entry.par).c_str());
  }
}

void print_journal(std::FILE* out, int first, const HostArguments* arguments) {
  for (const JournalEntry& entry : journal_since(first)) {
    print_journal_entry(out, entry, arguments);
  }
}

}  // namespace harness
