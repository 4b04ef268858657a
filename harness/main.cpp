// gyrix-host: plays the host. Loads the library by file name, resolves its entry points
// by their exported names and calls them against the stand-in services, one step from
// the command line or a session of them from a file.
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "demo_session.h"
#include "environment.h"
#include "session.h"
#include "session_language.h"
#include "start_up.h"
#include "steps.h"

namespace {

constexpr int kUsageStatus = 2;

int usage(const std::string& what_is_wrong) {
  if (!what_is_wrong.empty()) std::fprintf(stderr, "gyrix-host: %s\n", what_is_wrong.c_str());
  std::fprintf(stderr,
               "usage: gyrix-host COMMAND\n"
               "  exports            list the entry points the library exports, and any missing\n"
               "  call NAME VALUE    call user subroutine NAME with PAR(1) = VALUE and show\n"
               "                     what the element routine or ERRMES received\n"
               "  init [--status N]  run the start-up (CAR_INIT): the banner and the tire\n"
               "                     handler installation, the stand-in returning status N\n"
               "  version            call the version report and show the number it returns\n"
               "  filter MSGID SUBID ask the message filter about a message; shows the answer\n"
               "                     and the environment variable consulted, with its value\n"
               "  records FILE       list the build records (\"@(#)\" texts) in any FILE\n"
               "  run FILE [--expect EXPECTED] [--output OUT]\n"
               "                     play the session FILE (docs/sessions.md); compare its\n"
               "                     transcript with EXPECTED, write it to OUT as well\n"
               "  demo               a host session from start to end (examples/demo.session)\n"
               "The library is loaded by file name; GYRIX_SOLVER_LIBRARY names another file.\n");
  return kUsageStatus;
}

int run(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return usage("run takes FILE [--expect EXPECTED] [--output OUT]");
  host::SessionFiles files;
  for (std::size_t i = 1; i < arguments.size(); i += 2) {
    const std::string& option = arguments[i];
    std::string* file = option == "--expect"   ? &files.expected
                        : option == "--output" ? &files.output
                                               : nullptr;
    if (file == nullptr) return usage("run: \"" + option + "\" is no option of run");
    if (i + 1 == arguments.size()) return usage("run: " + option + " needs a file");
    *file = arguments[i + 1];
  }
  return host::run_session_file(arguments[0], files);
}

int one_step(const std::vector<std::string>& words) {
  const host::ParsedStep parsed = host::parse_step(words, host::Source::kCommandLine);
  if (!parsed.step) return usage(parsed.error);
  const host::Library library;
  if (!library.loaded()) {
    std::fprintf(stderr, "gyrix-host: cannot load %s: %s\n", library.file().c_str(),
                 library.error().c_str());
    return 1;
  }
  return host::run_step(library, *parsed.step) ? 0 : 1;
}

int dispatch(const std::vector<std::string>& words) {
  const std::string command = words.empty() ? std::string() : words[0];
  const std::vector<std::string> arguments(words.begin() + (words.empty() ? 0 : 1), words.end());
  if (command == "run") return run(arguments);
  if (command == "records") {
    if (arguments.size() != 1) return usage("records takes FILE");
    return host::list_records(arguments[0].c_str());
  }
  if (command == "demo") {
    if (!arguments.empty()) return usage("demo takes no argument");
    return host::play_session(host::kDemoSession, host::kDemoSessionName, {});
  }
  if (words.empty()) return usage("");
  return one_step(words);
}

}  // namespace

int main(int argc, char** argv) {
  host::use_binary_standard_output();
  try {
    return dispatch(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& failure) {
    std::fflush(stdout);
    std::fprintf(stderr, "gyrix-host: %s\n", failure.what());
    return 1;
  }
}
