// gyrix-host: plays the host. Loads the library by file name, resolves its entry points
// by their exported names and calls them against the stand-in services, one step from
// the command line or a session of them from a file.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "files.h"
#include "session.h"
#include "session_language.h"
#include "steps.h"

namespace {

constexpr int kUsageStatus = 2;

// The commands beside the steps of the command line.
constexpr std::string_view kCommands[] = {"run", "help"};

// The usage: the steps' lines from their table, then the other commands'.
std::string usage_text() {
  return "usage: gyrix-host COMMAND\n" + harness::steps_usage() +
         harness::usage_lines("run [--expect EXPECTED] [--output OUT] FILE",
                              "play the session FILE (docs/sessions.md); compare its\n"
                              "transcript with EXPECTED, write it to OUT as well (only when\n"
                              "it ran; OUT is replaced in one step)") +
         harness::usage_lines("help", "this text (also --help, -h)") +
         "The library is loaded by file name; GYRIX_SOLVER_LIBRARY names another file.\n";
}

int usage(const std::string& what_is_wrong) {
  std::fprintf(stderr, "gyrix-host: %s\n%s", what_is_wrong.c_str(), usage_text().c_str());
  return kUsageStatus;
}

std::string every_command() {
  std::string list = harness::step_words(harness::Source::kCommandLine);
  for (const std::string_view command : kCommands) list += ", " + std::string(command);
  return list;
}

// run's options may stand before or after its FILE.
int run(const std::vector<std::string>& arguments) {
  std::string session;
  harness::SessionFiles files;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    std::string* file = word == "--expect"   ? &files.expected
                        : word == "--output" ? &files.output
                                             : nullptr;
    if (file != nullptr) {
      if (i + 1 == arguments.size()) return usage("run: " + word + " needs a file");
      if (!file->empty()) return usage("run: " + word + " is given twice");
      *file = arguments[++i];
    } else if (!word.empty() && word[0] == '-') {
      return usage("run: " + harness::quoted(word) +
                   " is no option of run (its options: --expect, --output)");
    } else if (!session.empty()) {
      return usage("run takes one session FILE, not " + harness::quoted(session) + " and " +
                   harness::quoted(word));
    } else {
      session = word;
    }
  }
  if (session.empty()) return usage("run takes [--expect EXPECTED] [--output OUT] FILE");
  return harness::run_session_file(session, files);
}

int one_step(const std::vector<std::string>& words) {
  const harness::ParsedStep parsed = harness::parse_step(words, harness::Source::kCommandLine);
  if (!parsed.step) return usage(parsed.error);
  const std::unique_ptr<const harness::Library> library = harness::open_checked_library();
  if (library == nullptr) return 1;
  return harness::run_step(*library, *parsed.step) ? 0 : 1;
}

int dispatch(const std::vector<std::string>& words) {
  if (words.empty()) return usage("no command given");
  const std::string& command = words[0];
  const std::vector<std::string> arguments(words.begin() + 1, words.end());
  if (command == "help" || command == "--help" || command == "-h") {
    std::fputs(usage_text().c_str(), stdout);
    return 0;
  }
  if (command == "run") return run(arguments);
  if (!harness::is_step_word(command)) {
    return usage("unknown command " + harness::quoted(command) +
                 " (the commands: " + every_command() + ")");
  }
  return one_step(words);
}

}  // namespace

int main(int argc, char** argv) {
  harness::use_binary_standard_output();
  try {
    return dispatch(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& failure) {
    std::fflush(stdout);
    std::fprintf(stderr, "gyrix-host: %s\n", failure.what());
    return 1;
  }
}
