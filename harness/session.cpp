#include "session.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "files.h"
#include "output_capture.h"
#include "session_language.h"
#include "steps.h"
#include "visible_bytes.h"

namespace harness {
namespace {

constexpr int kRan = 0;
constexpr int kDiffers = 1;
constexpr int kBadInput = 2;

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// Line `number` (from 1) of `text` between bars, "\r" and other control bytes written
// out; a missing newline at its end, or the end of the text, said.
std::string shown_line(std::string_view text, std::size_t number) {
  for (; number > 1 && !text.empty(); --number) {
    const std::size_t newline = text.find('\n');
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
  }
  if (text.empty()) return "<end of transcript>";
  const std::size_t newline = text.find('\n');
  std::string shown = "|";
  for (const char c : text.substr(0, newline)) {
    const auto byte = static_cast<unsigned char>(c);
    shown += c == '\r'                     ? std::string("\\r")
             : byte < 0x20 || byte == 0x7f ? visible_bytes(std::string_view(&c, 1))
                                           : std::string(1, c);
  }
  return shown + (newline == std::string_view::npos ? "| <no newline at the end>" : "|");
}

// Where `actual` first differs from `expected`: the line's number and both texts of it;
// empty when they are equal byte for byte.
std::string first_difference(std::string_view expected, std::string_view actual) {
  if (expected == actual) return {};
  std::size_t line = 1;
  for (std::size_t i = 0; i < std::min(expected.size(), actual.size()) && expected[i] == actual[i];
       ++i) {
    line += expected[i] == '\n';
  }
  return "first difference at line " + std::to_string(line) +
         ":\n  expected: " + shown_line(expected, line) +
         "\n  actual:   " + shown_line(actual, line) + "\n";
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

int run_session_file(const std::string& path, const SessionFiles& files) {
  std::string why;
  const std::optional<std::string> text = read_file(path, &why);
  if (!text) {
    std::fprintf(stderr, "%s: cannot read the session file: %s\n", path.c_str(), why.c_str());
    return kBadInput;
  }
  const ParsedSession session = parse_session(*text, path);
  if (!session.error.empty()) {
    std::fprintf(stderr, "%s\n", session.error.c_str());
    return kBadInput;
  }
  std::optional<std::string> expected;
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
  std::fprintf(stderr, "%s: the transcript differs from %s, %s", path.c_str(),
               files.expected.c_str(), difference.c_str());
  return kDiffers;
}

}  // namespace harness
