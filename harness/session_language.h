// The words of gyrix-host's steps, one parser for its command line and its session
// files: every argument is checked before anything runs, and what is wrong is said in
// one line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "entry_points.h"

namespace harness {

enum class StepKind { kCall, kFilter, kInit, kTireInit, kVersion, kExports, kSet, kUnset, kSay };

struct Step {
  StepKind kind = StepKind::kSay;
  std::string written;                // the step as written, echoed in the transcript
  const EntryPoint* entry = nullptr;  // call
  double par1 = 0.0;                  // call
  int32_t install_status = 0;         // init, tirinit
  std::string first;                  // filter: MSGID; set, unset: the name; say: the text
  std::string second;                 // filter: SUBID; set: the value
};

// Steps that only make sense inside a session (set, unset, say) are refused on the
// command line.
enum class Source { kCommandLine, kSessionFile };

struct ParsedStep {
  std::optional<Step> step;
  std::string error;  // what is wrong, when there is no step
};

// The step that `words` (the step's word first) name.
ParsedStep parse_step(const std::vector<std::string>& words, Source source);

// `text` between double quotes, as the messages cite a word.
std::string quoted(std::string_view text);

// Whether `word` names a step (of either source).
bool is_step_word(std::string_view word);

// A command's lines of the usage: its form, then what it does from the 22nd column on
// (on the next line when the form is longer); `what`'s lines are apart by "\n".
std::string usage_lines(std::string_view form, std::string_view what);
// The usage's lines of the command line's steps, from their table.
std::string steps_usage();

// The step words that `source` knows, as a list: "call, filter, ...".
std::string step_words(Source source);

// Every step of a session file's `text`, or the first error as "NAME:LINE: what is wrong".
struct ParsedSession {
  std::vector<Step> steps;
  std::string error;
};
ParsedSession parse_session(std::string_view text, std::string_view name);

}  // namespace harness
