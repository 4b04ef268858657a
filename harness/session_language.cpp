#include "session_language.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace harness {
namespace {

struct StepWord {
  std::string_view word;
  StepKind kind;
  std::string_view arguments;  // as the usage names them
  std::size_t fewest;
  std::size_t most;
  bool session_only;
  std::string_view what;  // for the usage, its lines apart by "\n"
};

constexpr std::size_t kAny = SIZE_MAX;

constexpr StepWord kStepWords[] = {
    {"call", StepKind::kCall, "NAME VALUE", 2, 2, false,
     "call user subroutine NAME with PAR(1) = VALUE (a number,\n"
     "or 0x and 16 hex digits: its bit pattern) and show\n"
     "what the element routine or ERRMES received"},
    {"filter", StepKind::kFilter, "MSGID SUBID", 2, 2, false,
     "ask the message filter about a message; shows the answer\n"
     "and the environment variable consulted, with its value"},
    {"init", StepKind::kInit, "[--status N]", 0, 2, false,
     "run the start-up (CAR_INIT): the banner and the tire\n"
     "handler installation, the stand-in returning status N"},
    {"tirinit", StepKind::kTireInit, "[--status N]", 0, 2, false,
     "the handler installation alone (TK_GYRX_TIRINIT) and the\nstatus it returns"},
    {"version", StepKind::kVersion, "", 0, 0, false,
     "call the version report and show the number it returns"},
    {"exports", StepKind::kExports, "", 0, 0, false,
     "list the user-subroutine entry points the library exports, and\nany missing"},
    {"set", StepKind::kSet, "NAME=VALUE", 1, 1, true, ""},
    {"unset", StepKind::kUnset, "NAME", 1, 1, true, ""},
    {"say", StepKind::kSay, "[TEXT...]", 0, kAny, true, ""},
};

std::string known_entry_points() {
  std::string list;
  for (const EntryPoint& entry : kUserSubroutines) list += " " + std::string(entry.name);
  return list;
}

constexpr std::size_t kBitPatternDigits = 16;

// "0x" and exactly 16 hex digits: a double's bit pattern, most significant first (any
// NaN's payload, a signalling NaN, a negative zero); what is wrong with it, or nothing.
std::string read_bit_pattern(std::string_view text, double& value) {
  const std::string_view digits = text.substr(2);
  uint64_t bits = 0;
  const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), bits, 16);
  if (digits.size() != kBitPatternDigits || error != std::errc{} ||
      stop != digits.data() + digits.size()) {
    return quoted(text) + " is not a bit pattern (0x and 16 hex digits)";
  }
  std::memcpy(&value, &bits, sizeof value);
  return {};
}

// A decimal number as C writes one, "inf" or "nan", with an optional sign, read alike on
// every platform, or a bit pattern; what is wrong with it, or nothing.
std::string read_number(std::string_view text, double& value) {
  if (text.substr(0, 2) == "0x") return read_bit_pattern(text, value);
  const bool plus = !text.empty() && text.front() == '+';
  const char* begin = text.data() + (plus ? 1 : 0);
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::general);
  if (stop != end || begin == end || (plus && *begin == '-')) {
    return quoted(text) + " is not a number";
  }
  if (error == std::errc::result_out_of_range) return quoted(text) + " is out of a double's range";
  return {};
}

bool read_status(std::string_view text, int32_t& status) {
  const char* begin = text.data() + (!text.empty() && text.front() == '+' ? 1 : 0);
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(begin, end, status);
  return error == std::errc{} && stop == end && begin < end;
}

bool is_variable_name(std::string_view name) {
  if (name.empty()) return false;
  for (const char c : name) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!letter && !(c >= '0' && c <= '9') && c != '_') return false;
  }
  return true;
}

// Fills in the arguments of `step`; what is wrong with them, or nothing.
std::string read_arguments(const std::vector<std::string>& arguments, Step& step) {
  switch (step.kind) {
    case StepKind::kCall:
      step.entry = find_user_subroutine(arguments[0]);
      if (step.entry == nullptr) {
        return "no entry point is named " + quoted(arguments[0]) +
               "; the known ones:" + known_entry_points();
      }
      return read_number(arguments[1], step.par1);
    case StepKind::kFilter:
      step.first = arguments[0];
      step.second = arguments[1];
      return {};
    case StepKind::kInit:
    case StepKind::kTireInit:
      if (arguments.size() == 1 || (arguments.size() == 2 && arguments[0] != "--status")) {
        return std::string(step.kind == StepKind::kInit ? "init" : "tirinit") +
               " takes nothing or --status N";
      }
      if (arguments.size() == 2 && !read_status(arguments[1], step.install_status)) {
        return quoted(arguments[1]) + " is not a number (a whole one, 32 bits)";
      }
      return {};
    case StepKind::kSet: {
      const std::size_t equals = arguments[0].find('=');
      if (equals == std::string::npos)
        return "set takes NAME=VALUE: no \"=\" in " + quoted(arguments[0]);
      step.first = arguments[0].substr(0, equals);
      step.second = arguments[0].substr(equals + 1);
      break;
    }
    case StepKind::kUnset:
      step.first = arguments[0];
      break;
    case StepKind::kSay:
      for (const std::string& word : arguments) {
        step.first += (step.first.empty() ? "" : " ") + word;
      }
      return {};
    case StepKind::kVersion:
    case StepKind::kExports:
      return {};
  }
  if (!is_variable_name(step.first)) {
    return quoted(step.first) + " is not a variable name (letters, digits and _)";
  }
  return {};
}

std::string count_error(const StepWord& known, std::size_t given) {
  const std::string takes =
      known.arguments.empty() ? "takes no argument" : "takes " + std::string(known.arguments);
  return std::string(known.word) + " " + takes + ", not " + std::to_string(given) +
         (given == 1 ? " argument" : " arguments");
}

// A session line in words: blanks separate words; a double quote opens a part that runs,
// blanks and all, to the next one; parts next to each other make one word; a '#'
// outside quotes ends the line. `written` is the line without comment and outer blanks.
bool split_line(std::string_view line, std::vector<std::string>& words, std::string& written,
                std::string& error) {
  bool in_word = false;
  bool in_quote = false;
  std::size_t end = 0;  // after the last character that belongs to a word
  std::size_t start = std::string_view::npos;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (!in_quote && (c == ' ' || c == '\t')) {
      in_word = false;
      continue;
    }
    if (!in_quote && c == '#') break;
    if (start == std::string_view::npos) start = i;
    end = i + 1;
    if (!in_word) words.emplace_back();
    in_word = true;
    if (c == '"') {
      in_quote = !in_quote;
    } else {
      words.back() += c;
    }
  }
  if (in_quote) {
    error = "unterminated quote";
    return false;
  }
  if (start != std::string_view::npos) written = std::string(line.substr(start, end - start));
  return true;
}

// A session file is text: a control byte (a NUL, an escape, a carriage return inside
// a line, ...) would be cut short or hidden somewhere between the file and the
// transcript, so it is refused. Tabs separate words like blanks.
std::string control_byte_error(std::string_view line) {
  for (std::size_t at = 0; at < line.size(); ++at) {
    const auto byte = static_cast<unsigned char>(line[at]);
    if ((byte >= 0x20 && byte != 0x7f) || byte == '\t') continue;
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02x", byte);
    return "a control byte (" + std::string(hex) + ") at character " + std::to_string(at + 1) +
           ": a session file holds text only";
  }
  return {};
}

}  // namespace

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

ParsedStep parse_step(const std::vector<std::string>& words, Source source) {
  if (words.empty()) return {std::nullopt, "no step given"};
  for (const StepWord& known : kStepWords) {
    if (words[0] != known.word) continue;
    if (known.session_only && source == Source::kCommandLine) {
      return {std::nullopt, quoted(known.word) + " is a step of session files only"};
    }
    const std::vector<std::string> arguments(words.begin() + 1, words.end());
    if (arguments.size() < known.fewest || arguments.size() > known.most) {
      return {std::nullopt, count_error(known, arguments.size())};
    }
    Step step;
    step.kind = known.kind;
    std::string error = read_arguments(arguments, step);
    if (!error.empty()) return {std::nullopt, error};
    return {step, {}};
  }
  return {std::nullopt,
          "unknown step " + quoted(words[0]) + " (the steps: " + step_words(source) + ")"};
}

bool is_step_word(std::string_view word) {
  for (const StepWord& known : kStepWords) {
    if (known.word == word) return true;
  }
  return false;
}

std::string usage_lines(std::string_view form, std::string_view what) {
  constexpr std::size_t kColumn = 19;  // where the description starts, after "  "
  std::string lines = "  " + std::string(form);
  lines += form.size() < kColumn ? std::string(kColumn - form.size(), ' ')
                                 : "\n" + std::string(kColumn + 2, ' ');
  for (const char c : what)
    lines += c == '\n' ? "\n" + std::string(kColumn + 2, ' ') : std::string(1, c);
  return lines + "\n";
}

std::string steps_usage() {
  std::string usage;
  for (const StepWord& known : kStepWords) {
    if (known.session_only) continue;
    usage += usage_lines(known.arguments.empty()
                             ? std::string(known.word)
                             : std::string(known.word) + " " + std::string(known.arguments),
                         known.what);
  }
  return usage;
}

std::string step_words(Source source) {
  std::string list;
  for (const StepWord& known : kStepWords) {
    if (known.session_only && source == Source::kCommandLine) continue;
    list += (list.empty() ? "" : ", ") + std::string(known.word);
  }
  return list;
}

ParsedSession parse_session(std::string_view text, std::string_view name) {
  ParsedSession session;
  int number = 0;
  while (!text.empty()) {
    ++number;
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // written on Windows

    std::vector<std::string> words;
    std::string written;
    std::string error = control_byte_error(line);
    if (error.empty() && split_line(line, words, written, error)) {
      if (words.empty()) continue;
      ParsedStep parsed = parse_step(words, Source::kSessionFile);
      if (parsed.step) {
        parsed.step->written = written;
        session.steps.push_back(*parsed.step);
        continue;
      }
      error = parsed.error;
    }
    session.steps.clear();
    session.error = std::string(name) + ":" + std::to_string(number) + ": " + error;
    return session;
  }
  return session;
}

}  // namespace harness
