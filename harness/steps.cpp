#include "steps.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "environment_variables.h"
#include "filter_query.h"
#include "host_call.h"
#include "journal.h"
#include "start_up.h"

namespace harness {
namespace {

// Whether every entry point is found by its exported name.
bool list_exports(const Library& library) {
  int missing = 0;
  for (const EntryPoint& entry : kUserSubroutines) {
    const bool found = library.resolve(entry.name) != nullptr;
    missing += !found;
    std::printf("%-16s %2d words  %s\n", std::string(entry.name).c_str(), entry.words,
                found ? "found" : "MISSING");
  }
  std::printf("%d of %zu user-subroutine entry points found\n",
              static_cast<int>(kUserSubroutines.size()) - missing, kUserSubroutines.size());
  return missing == 0;
}

bool show_call(const Library& library, const Step& step) {
  std::printf("%s with PAR(1) = %s\n", std::string(step.entry->name).c_str(),
              shown_number(step.par1).c_str());
  const HostArguments arguments(*step.entry, step.par1);
  const int first = journal_size();
  if (!call_user_subroutine(library, *step.entry, arguments)) {
    std::printf("  %s is not exported by the library\n", std::string(step.entry->name).c_str());
    return false;
  }
  print_journal(stdout, first, &arguments);
  return true;
}

bool ask(const Library& library, const Step& step) {
  const MessageFilter message_filter = resolve_message_filter(library);
  if (message_filter == nullptr) {
    std::printf("  USR_MSGFILTER is not exported by the library\n");
    return false;
  }
  return print_filter_answer(stdout, step.first, step.second,
                             ask_filter(message_filter, step.first, step.second));
}

bool perform(const Library& library, const Step& step) {
  switch (step.kind) {
    case StepKind::kCall:
      return show_call(library, step);
    case StepKind::kFilter:
      return ask(library, step);
    case StepKind::kInit:
      return !show_start_up(library, step.install_status, stdout);
    case StepKind::kTireInit:
      return show_tire_installation(library, step.install_status);
    case StepKind::kVersion:
      return show_version_report(library);
    case StepKind::kExports:
      return list_exports(library);
    case StepKind::kSet:
      return set_environment(step.first.c_str(), step.second.c_str());
    case StepKind::kUnset:
      return set_environment(step.first.c_str(), nullptr);
    case StepKind::kSay:
      std::printf("%s\n", step.first.c_str());
      return true;
  }
  return false;
}

}  // namespace

bool run_step(const Library& library, const Step& step) {
  standin_set_echo(0);
  standin_set_errmes_returns(1);  // so that the report shows and the session goes on
  journal_clear();                // a long session would fill it
  const int first = journal_size();
  bool succeeded = perform(library, step);
  for (const JournalEntry& entry : journal_since(first)) {
    if (!ends_run(entry)) continue;
    std::printf("-- the host's run would end here (fatal report, end flag STOP) --\n");
    succeeded = false;
    break;
  }
  std::fflush(stdout);
  return succeeded;
}

std::unique_ptr<const Library> open_checked_library() {
  auto library = std::make_unique<const Library>();
  if (!library->loaded()) {
    std::fprintf(stderr,
                 "gyrix-host: cannot load %s: %s\ngyrix-host: docs/deployment.md says where the "
                 "library and its imports must lie, and how to list what it needs\n",
                 library->file().c_str(), library->error().c_str());
    return nullptr;
  }
  const bool exports_any =
      std::any_of(kUserSubroutines.begin(), kUserSubroutines.end(),
                  [&](const EntryPoint& entry) { return library->resolve(entry.name) != nullptr; });
  if (!exports_any) {
    std::fprintf(stderr,
                 "gyrix-host: %s is not the gyrix_solver library: it exports none of the %zu "
                 "user-subroutine entry points\ngyrix-host: name the library's own file in "
                 "GYRIX_SOLVER_LIBRARY, or unset it\n",
                 library->file().c_str(), kUserSubroutines.size());
    return nullptr;
  }
  return library;
}

}  // namespace harness
