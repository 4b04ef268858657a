#include "filter_query.h"

#include "environment_variables.h"
#include "host_call.h"
#include "visible_bytes.h"

namespace harness {

MessageFilter resolve_message_filter(const Library& library) {
  return reinterpret_cast<MessageFilter>(library.resolve("USR_MSGFILTER"));
}

FilterAnswer ask_filter(MessageFilter filter, std::string_view msgid, std::string_view subid) {
  const int first = journal_size();
  FilterAnswer answer{filter(msgid.data(), static_cast<int32_t>(msgid.size()), subid.data(),
                             static_cast<int32_t>(subid.size())),
                      {}};
  for (const JournalEntry& entry : journal_since(first)) {
    if (std::string_view(entry.routine) != "QAV_GETENV") continue;
    answer.consulted.emplace_back(journaled_text(entry.text[0]));
  }
  return answer;
}

bool print_filter_answer(std::FILE* out, std::string_view msgid, std::string_view subid,
                         const FilterAnswer& answer) {
  const bool logical = answer.logical == -1 || answer.logical == 0;
  std::fprintf(out, "USR_MSGFILTER(|%s|, |%s|): %s (logical %d)\n", visible_bytes(msgid).c_str(),
               visible_bytes(subid).c_str(),
               !logical               ? "NO LOGICAL"
               : answer.logical == -1 ? "show"
                                      : "suppress",
               static_cast<int>(answer.logical));
  if (answer.consulted.empty()) std::fprintf(out, "  no environment variable consulted\n");
  for (const std::string& name : answer.consulted) {
    const std::string value = environment_value(name.c_str());
    std::fprintf(out, "  consulted %s (a name of %zu characters): ", visible_bytes(name).c_str(),
                 name.size());
    if (value.empty()) {
      std::fprintf(out, "unset or empty\n");
    } else {
      std::fprintf(out, "|%s|\n", value.c_str());
    }
  }
  return logical;
}

}  // namespace harness
