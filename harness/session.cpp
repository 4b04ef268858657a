#include "session.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>

#include "library.h"
#include "output_capture.h"
#include "session_language.h"
#include "steps.h"

namespace host {
namespace {

constexpr int kRan = 0;
constexpr int kDiffers = 1;
constexpr int kBadInput = 2;

std::optional<std::string> read_file(const std::string& path) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             &std::fclose);
  if (file == nullptr) return std::nullopt;
  return read_to_end(file.get());
}

// Line `number` (from 1) of `text`, or nothing past its end.
std::optional<std::string_view> line_of(std::string_view text, std::size_t number) {
  for (std::size_t at = 1; at < number; ++at) {
    const std::size_t newline = text.find('\n');
    if (newline == std::string_view::npos) return std::nullopt;
    text.remove_prefix(newline + 1);
  }
  return text.substr(0, text.find('\n'));
}

std::string shown_line(const std::optional<std::string_view>& line) {
  return line ? "|" + std::string(*line) + "|" : "(no such line)";
}

void emit(std::string& transcript, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  transcript += text;
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
  if (!files.expected.empty() && !(expected = read_file(files.expected))) {
    std::fprintf(stderr, "gyrix-host: cannot read %s\n", files.expected.c_str());
    return kBadInput;
  }
  std::ofstream output;
  if (!files.output.empty()) {
    output.open(files.output, std::ios::binary);
    if (!output) {
      std::fprintf(stderr, "gyrix-host: cannot write %s\n", files.output.c_str());
      return kBadInput;
    }
  }
  const Library library;
  if (!library.loaded()) {
    std::fprintf(stderr, "gyrix-host: cannot load %s: %s\n", library.file().c_str(),
                 library.error().c_str());
    return kDiffers;
  }

  std::string transcript;
  for (const Step& step : session.steps) {
    if (step.kind != StepKind::kSay) emit(transcript, "> " + step.written + "\n");
    emit(transcript, capture_standard_output([&] { run_step(library, step); }));
  }
  if (output.is_open() && !(output << transcript && output.flush())) {
    std::fprintf(stderr, "gyrix-host: cannot write %s\n", files.output.c_str());
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
  const std::optional<std::string> text = read_file(path);
  if (!text) {
    std::fprintf(stderr, "%s: cannot read the session file\n", path.c_str());
    return kBadInput;
  }
  return play_session(*text, path, files);
}

}  // namespace host
