#include "filter_query.h"

#include <algorithm>
#include <cstdlib>

#include "journal.h"

namespace host {

MessageFilter resolve_message_filter(const Library& library) {
  return reinterpret_cast<MessageFilter>(library.resolve("USR_MSGFILTER", kMessageFilterWords));
}

FilterAnswer ask_filter(MessageFilter filter, std::string_view msgid, std::string_view subid) {
  const int first = journal_size();
  FilterAnswer answer{filter(msgid.data(), static_cast<int32_t>(msgid.size()), subid.data(),
                             static_cast<int32_t>(subid.size())),
                      {}};
  for (int i = first; i < journal_size(); ++i) {
    const JournalEntry& entry = *journal_entry(i);
    if (std::string_view(entry.routine) != "QAV_GETENV") continue;
    const int32_t kept = std::clamp(entry.text[0].length, int32_t{0}, int32_t{kJournalTextMax});
    answer.consulted.emplace_back(entry.text[0].chars, static_cast<std::size_t>(kept));
  }
  return answer;
}

bool print_filter_answer(std::FILE* out, std::string_view msgid, std::string_view subid,
                         const FilterAnswer& answer) {
  const bool logical = answer.logical == -1 || answer.logical == 0;
  std::fprintf(out, "USR_MSGFILTER(|%.*s|, |%.*s|): %s (logical %d)\n",
               static_cast<int>(msgid.size()), msgid.data(), static_cast<int>(subid.size()),
               subid.data(),
               !logical               ? "NO LOGICAL"
               : answer.logical == -1 ? "show"
                                      : "suppress",
               static_cast<int>(answer.logical));
  if (answer.consulted.empty()) std::fprintf(out, "  no environment variable consulted\n");
  for (const std::string& name : answer.consulted) {
    const char* value = std::getenv(name.c_str());
    std::fprintf(out, "  consulted %s (%zu characters): ", name.c_str(), name.size());
    if (value == nullptr) {
      std::fprintf(out, "unset\n");
    } else {
      std::fprintf(out, "|%s|\n", value);
    }
  }
  return logical;
}

}  // namespace host
