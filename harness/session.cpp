#include "session.h"

#include <cstdio>
#include <memory>
#include <optional>

#include "checked_library.h"
#include "environment.h"
#include "file_reading.h"
#include "output_capture.h"
#include "session_language.h"
#include "steps.h"

namespace harness {
namespace {

constexpr int kRan = 0;
constexpr int kDiffers = 1;
constexpr int kBadInput = 2;

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// Line `number` (from 1) of `text` with its newline, if it has one; nothing past the
// end of the text.
std::optional<std::string_view> line_of(std::string_view text, std::size_t number) {
  for (std::size_t at = 1; at < number; ++at) {
    const std::size_t newline = text.find('\n');
    if (newline == std::string_view::npos) return std::nullopt;
    text.remove_prefix(newline + 1);
  }
  if (text.empty()) return std::nullopt;
  const std::size_t newline = text.find('\n');
  return text.substr(0, newline == std::string_view::npos ? newline : newline + 1);
}

// A line between bars, its characters that cannot be seen written out: "\r" and other
// control characters, and a missing newline at the end of the text.
std::string shown_line(const std::optional<std::string_view>& line) {
  if (!line) return "<end of transcript>";
  std::string shown = "|";
  const bool ended = !line->empty() && line->back() == '\n';
  for (const char c : line->substr(0, line->size() - (ended ? 1 : 0))) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      shown += "\\r";
    } else if (c == '\t') {
      shown += "\\t";
    } else if (byte < 0x20 || byte == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      shown += escaped;
    } else {
      shown += c;
    }
  }
  return shown + (ended ? "|" : "| <no newline at the end>");
}

void emit(std::string& transcript, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  transcript += text;
}

// Writes `transcript` to `path` in one step: into a file beside it first, which then
// replaces it, so that a failed write leaves `path` as it was. False when it cannot.
bool keep_transcript(const std::string& path, const std::string& transcript) {
  const std::string beside = path + ".partial";
  bool written = false;
  {
    const File file(std::fopen(beside.c_str(), "wb"), &std::fclose);
    written =
        file != nullptr &&
        std::fwrite(transcript.data(), 1, transcript.size(), file.get()) == transcript.size() &&
        std::fflush(file.get()) == 0;
  }
  if (written && replace_file(beside.c_str(), path.c_str())) return true;
  std::remove(beside.c_str());
  return false;
}

}  // namespace

std::string first_difference(std::string_view expected, std::string_view actual) {
  if (expected == actual) return {};
  std::size_t line = 1;
  const std::size_t common = std::min(expected.size(), actual.size());
  for (std::size_t i = 0; i < common && expected[i] == actual[i]; ++i) line += expected[i] == '\n';
  return "first difference at line " + std::to_string(line) +
         ":\n  expected: " + shown_line(line_of(expected, line)) +
         "\n  actual:   " + shown_line(line_of(actual, line)) + "\n";
}

int play_session(std::string_view text, std::string_view name, const SessionFiles& files) {
  const ParsedSession session = parse_session(text, name);
  if (!session.error.empty()) {
    std::fprintf(stderr, "%s\n", session.error.c_str());
    return kBadInput;
  }
  std::optional<std::string> expected;
  std::string why;
  if (!files.expected.empty() && !(expected = read_file(files.expected, &why))) {
    std::fprintf(stderr, "gyrix-host: cannot read %s: %s\n", files.expected.c_str(), why.c_str());
    return kBadInput;
  }
  const std::unique_ptr<const Library> library = open_checked_library();
  if (library == nullptr) return kDiffers;

  std::string transcript;
  for (const Step& step : session.steps) {
    if (step.kind != StepKind::kSay) emit(transcript, "> " + step.written + "\n");
    emit(transcript, capture_standard_output([&] { run_step(*library, step); }));
  }
  if (!files.output.empty() && !keep_transcript(files.output, transcript)) {
    std::fprintf(stderr, "gyrix-host: cannot write %s (it is left as it was)\n",
                 files.output.c_str());
    return kBadInput;
  }
  if (!expected) return kRan;
  const std::string difference = first_difference(*expected, transcript);
  if (difference.empty()) return kRan;
  std::fprintf(stderr, "%.*s: the transcript differs from %s, %s", static_cast<int>(name.size()),
               name.data(), files.expected.c_str(), difference.c_str());
  return kDiffers;
}

int run_session_file(const std::string& path, const SessionFiles& files) {
  std::string why;
  const std::optional<std::string> text = read_file(path, &why);
  if (!text) {
    std::fprintf(stderr, "%s: cannot read the session file: %s\n", path.c_str(), why.c_str());
    return kBadInput;
  }
  return play_session(*text, path, files);
}

}  // namespace harness
