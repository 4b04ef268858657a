// gyrix-host: plays the host. Loads the library by file name, resolves its entry points
// by their exported names and calls them against the stand-in services.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "environment.h"
#include "filter_query.h"
#include "host_call.h"
#include "start_up.h"

namespace {

using host::EntryPoint;
using host::HostArguments;
using host::Library;

constexpr int kUsageStatus = 2;

int usage() {
  std::fprintf(stderr,
               "usage: gyrix-host COMMAND\n"
               "  exports            list the entry points the library exports, and any missing\n"
               "  call NAME VALUE    call user subroutine NAME with PAR(1) = VALUE and show\n"
               "                     what the element routine or ERRMES received\n"
               "  init [--status N]  run the start-up (CAR_INIT): the banner and the tire\n"
               "                     handler installation, the stand-in returning status N\n"
               "  version            call the version report and show the number it returns\n"
               "  records FILE       list the build records (\"@(#)\" texts) in any FILE\n"
               "  filter MSGID SUBID ask the message filter about a message; shows the answer\n"
               "                     and the environment variable consulted, with its value\n"
               "  demo               a short host session from start to end\n"
               "The library is loaded by file name; GYRIX_SOLVER_LIBRARY names another file.\n");
  return kUsageStatus;
}

bool open(const Library& library) {
  if (library.loaded()) return true;
  std::fprintf(stderr, "gyrix-host: cannot load %s: %s\n", library.file().c_str(),
               library.error().c_str());
  return false;
}

int list_exports() {
  Library library;
  if (!open(library)) return 1;
  int missing = 0;
  for (const EntryPoint& entry : host::kUserSubroutines) {
    const bool found = library.resolve(entry.name, entry.words) != nullptr;
    missing += !found;
    std::printf("%-16s %-20s %s\n", std::string(entry.name).c_str(),
                Library::exported_name(entry.name, entry.words).c_str(),
                found ? "found" : "MISSING");
  }
  std::printf("%d of %zu user-subroutine entry points found in %s\n",
              static_cast<int>(host::kUserSubroutines.size()) - missing,
              host::kUserSubroutines.size(), library.file().c_str());
  return missing == 0 ? 0 : 1;
}

// Calls `entry` with PAR(1) = `par1` and prints what the services saw. Returns whether
// the call ended in a fatal report.
bool show_call(const Library& library, const EntryPoint& entry, double par1) {
  const HostArguments arguments(entry, par1);
  const int first = journal_size();
  if (!host::call_user_subroutine(library, entry, arguments)) {
    std::printf("  %s is not exported by %s\n", std::string(entry.name).c_str(),
                library.file().c_str());
    return true;
  }
  host::print_journal(stdout, first, &arguments);
  for (const JournalEntry& seen : host::journal_since(first)) {
    if (std::string_view(seen.routine) == "ERRMES") return true;
  }
  return false;
}

int call(std::string_view name, const char* value) {
  const EntryPoint* entry = host::find_user_subroutine(name);
  char* end = nullptr;
  errno = 0;
  const double par1 = std::strtod(value, &end);
  if (entry == nullptr || end == value || *end != '\0') return usage();
  Library library;
  if (!open(library)) return 1;
  standin_set_echo(0);
  standin_set_errmes_returns(1);  // so that the report can be shown; the real host stops
  std::printf("%s with PAR(1) = %.15g\n", std::string(name).c_str(), par1);
  const bool fatal = show_call(library, *entry, par1);
  if (fatal) std::printf("The host's run ends here (end flag STOP).\n");
  std::fflush(stdout);
  return fatal ? 1 : 0;
}

int init(int argc, char** argv) {
  long status = 0;
  if (argc == 4 && std::string_view(argv[2]) == "--status") {
    char* end = nullptr;
    errno = 0;
    status = std::strtol(argv[3], &end, 10);
    if (end == argv[3] || *end != '\0' || errno != 0 || status < INT32_MIN || status > INT32_MAX) {
      return usage();
    }
  } else if (argc != 2) {
    return usage();
  }
  Library library;
  if (!open(library)) return 1;
  standin_set_echo(0);
  standin_set_errmes_returns(1);  // so that the report can be shown; the real host stops
  const bool fatal = host::show_start_up(library, static_cast<int32_t>(status), stdout);
  std::fflush(stdout);
  return fatal ? 1 : 0;
}

int version() {
  Library library;
  if (!open(library)) return 1;
  const bool found = host::show_version_report(library);
  std::fflush(stdout);
  return found ? 0 : 1;
}

int filter(std::string_view msgid, std::string_view subid) {
  Library library;
  if (!open(library)) return 1;
  const host::MessageFilter message_filter = host::resolve_message_filter(library);
  if (message_filter == nullptr) {
    std::fprintf(stderr, "gyrix-host: %s exports no USR_MSGFILTER\n", library.file().c_str());
    return 1;
  }
  standin_set_echo(0);
  const bool logical = host::print_filter_answer(stdout, msgid, subid,
                                                 host::ask_filter(message_filter, msgid, subid));
  std::fflush(stdout);
  return logical ? 0 : 1;
}

struct DemoStep {
  std::string_view entry;
  double par1;
  std::string_view story;
};

constexpr DemoStep kDemoSteps[] = {
    {"SFOSUB", 901.0, "a force element whose PAR(1) names routine 901"},
    {"CONSUB", 917.0, "a constraint element, routine 917"},
    {"DIFSUB", 1117.9, "a differential equation: 1117.9 truncates to 1117"},
    {"VARSUB", 1117.0, "a variable: the same number selects VAR1117 here"},
    {"FIESUB", 910.0, "a field element, routine 910"},
    {"REQSUB", 909.0, "a request, routine 909"},
    {"CONSUB", 902.0, "a misconfigured element: there is no constraint routine 902"},
    {"TIRSUB", 0.0, "an entry point for which the library supplies no routine"},
};

// A filter question; a step with a variable first sets it (a null value removes it).
struct FilterStep {
  std::string_view msgid;
  std::string_view subid;
  const char* variable;
  const char* value;
  std::string_view story;
};

constexpr FilterStep kFilterSteps[] = {
    {"MOTFCH", "MOTDEP", nullptr, nullptr, "a message that the filter always suppresses"},
    {"INFO01", "OUTDATED", nullptr, nullptr, "an id that begins INFO: the rest does not count"},
    {"SDFDIR", "ANYTHING", nullptr, nullptr, "a listed id, but a sub-id without a rule"},
    {"UVCHEK", "BIG_DIFF", "QAV_VELTA_MSG_UVCHEK", nullptr, "switched, the variable unset"},
    {"UVCHEK", "BIG_DIFF", "QAV_VELTA_MSG_UVCHEK", "NO", "the same, the variable set to NO"},
    {"DFFDEP", "OLD.NE.NU", "ZUN_TOLK_DFFDEP_WARN", nullptr, "shown only on YES: unset"},
    {"DFFDEP", "OLD.NE.NU", "ZUN_TOLK_DFFDEP_WARN", "yes", "the same, the variable set to yes"},
};

void demo_filter(const Library& library) {
  std::printf(
      "\nMessage filter: the host asks about each diagnostic message; some are always\n"
      "suppressed, some follow a switch that the user sets in the environment.\n");
  const host::MessageFilter message_filter = host::resolve_message_filter(library);
  if (message_filter == nullptr) {
    std::printf("  %s exports no USR_MSGFILTER\n", library.file().c_str());
    return;
  }
  for (const FilterStep& step : kFilterSteps) {
    std::printf("\n> %s\n", std::string(step.story).c_str());
    if (step.variable != nullptr) {
      host::set_environment(step.variable, step.value);
      std::printf("  (%s %s%s)\n", step.variable, step.value ? "set to " : "removed",
                  step.value ? step.value : "");
    }
    host::print_filter_answer(stdout, step.msgid, step.subid,
                              host::ask_filter(message_filter, step.msgid, step.subid));
  }
}

int demo() {
  Library library;
  if (!open(library)) return 1;
  standin_set_echo(0);
  standin_set_errmes_returns(1);
  std::printf("gyrix-host demo: a host session with %s and the stand-in services\n\n",
              library.file().c_str());
  std::printf(
      "Start-up: the host calls CAR_INIT, which shows the banner and installs the\n"
      "database search routine into the tire library.\n");
  host::show_start_up(library, 0, stdout);
  std::printf("\nIdentification: gyrix_solver_version prints the build records.\n");
  host::show_version_report(library);
  std::printf("\n");
  std::printf(
      "Routing: the dispatchers forward each call, words unchanged, to the element\n"
      "routine that PAR(1) selects; a number without a routine ends the run.\n");
  for (const DemoStep& step : kDemoSteps) {
    std::printf("\n> %s, PAR(1) = %g: %s\n", std::string(step.entry).c_str(), step.par1,
                std::string(step.story).c_str());
    show_call(library, *host::find_user_subroutine(step.entry), step.par1);
  }
  std::printf(
      "\n(The stand-in ERRMES returns here so the session can go on; the host's own\n"
      "ends the run at the first fatal report.)\n");
  demo_filter(library);
  std::fflush(stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view command = argc > 1 ? argv[1] : "";
  if (command == "exports" && argc == 2) return list_exports();
  if (command == "call" && argc == 4) return call(argv[2], argv[3]);
  if (command == "init") return init(argc, argv);
  if (command == "version" && argc == 2) return version();
  if (command == "records" && argc == 3) return host::list_records(argv[2]);
  if (command == "filter" && argc == 4) return filter(argv[2], argv[3]);
  if (command == "demo" && argc == 2) return demo();
  return usage();
}
