#include "filter_query.h"

#include <cstdlib>
#include <optional>

#include "environment.h"
#include "host_call.h"
#include "visible_bytes.h"

namespace harness {

MessageFilter resolve_message_filter(const Library& library) {
  return reinterpret_cast<MessageFilter>(library.resolve("USR_MSGFILTER"));
}

namespace {

constexpr const char* kSwitchProbes[] = {nullptr, "NO", "YES"};

int32_t answer_of(MessageFilter filter, std::string_view msgid, std::string_view subid) {
  return filter(msgid.data(), static_cast<int32_t>(msgid.size()), subid.data(),
                static_cast<int32_t>(subid.size()));
}

// Whether the answer changes when the `consulted` variables take another switch value.
bool follows_switch(MessageFilter filter, std::string_view msgid, std::string_view subid,
                    const std::vector<std::string>& consulted, int32_t answer) {
  std::vector<std::optional<std::string>> saved;
  for (const std::string& name : consulted) {
    const char* value = std::getenv(name.c_str());
    saved.push_back(value == nullptr ? std::nullopt : std::optional<std::string>(value));
  }
  bool follows = false;
  for (const char* probe : kSwitchProbes) {
    for (const std::string& name : consulted) set_environment(name.c_str(), probe);
    follows = follows || answer_of(filter, msgid, subid) != answer;
  }
  for (std::size_t i = 0; i < consulted.size(); ++i) {
    set_environment(consulted[i].c_str(), saved[i] ? saved[i]->c_str() : nullptr);
  }
  return follows;
}

}  // namespace

FilterAnswer ask_filter(MessageFilter filter, std::string_view msgid, std::string_view subid) {
  const int first = journal_size();
  FilterAnswer answer{answer_of(filter, msgid, subid), {}};
  for (const JournalEntry& entry : journal_since(first)) {
    if (std::string_view(entry.routine) != "QAV_GETENV") continue;
    answer.consulted.emplace_back(journaled_text(entry.text[0]));
  }
  if (!answer.consulted.empty()) {
    answer.follows_switch = follows_switch(filter, msgid, subid, answer.consulted, answer.logical);
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
  if (!answer.consulted.empty() && !answer.follows_switch) {
    const char* it = answer.consulted.size() == 1 ? "it" : "them";
    std::fprintf(out, "  the answer does not depend on %s: the same with %s unset, NO or YES\n", it,
                 it);
  }
  return logical;
}

}  // namespace harness
