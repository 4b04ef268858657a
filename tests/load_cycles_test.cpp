// The library loaded, every entry point called once and the library freed, many times
// in one process: nothing of it runs at load or unload, so nothing it leaves behind
// (a registration, a handler, an open resource) may keep it loaded or break the next
// load. A program of its own: the other tests keep the library loaded throughout.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "filter_query.h"
#include "host_call.h"
#include "output_capture.h"
#include "platform.h"

namespace {

constexpr int kCycles = 1000;

using StartUp = void(GYRIX_CALL*)();
using TireInstallation = int32_t(GYRIX_CALL*)();
using VersionReport = double (*)();

// One cycle: load, call each entry point once, free. Returns how many calls were made,
// or -1 with the loader's reason.
int load_call_free(std::string& reason) {
  const harness::Library library;
  if (!library.loaded()) {
    reason = library.file() + ": " + library.error();
    return -1;
  }
  int calls = 0;
  for (const harness::EntryPoint& entry : harness::kUserSubroutines) {
    const harness::HostArguments arguments(entry, 0.0);  // no route: a fatal report
    calls += harness::call_user_subroutine(library, entry, arguments) ? 1 : 0;
  }
  if (const harness::MessageFilter filter = harness::resolve_message_filter(library)) {
    calls += filter("INFO", 4, "OUTDATED", 8) == 0 ? 1 : 0;  // always suppressed
  }
  if (const auto start_up = reinterpret_cast<StartUp>(library.resolve("CAR_INIT"))) {
    start_up();
    ++calls;
  }
  if (const auto install = reinterpret_cast<TireInstallation>(library.resolve("TK_GYRX_TIRINIT"))) {
    calls += install() == 0 ? 1 : 0;
  }
  if (const auto version =
          reinterpret_cast<VersionReport>(library.resolve("gyrix_solver_version"))) {
    calls += version() > 0.0 ? 1 : 0;
  }
  return calls;
}

TEST(LoadCycles, EveryEntryPointCalledAndTheLibraryFreedEachTime) {
  // The host's libraries stay loaded, as in the host's process: only the library cycles.
  const harness::Library hostutil("hostutil.dll"), elemlib("elemlib.dll"), tirelib("tirelib.dll"),
      propdb("propdb.dll");
  standin_set_echo(0);
  standin_set_errmes_returns(1);
  standin_set_quiet(1);
  const int expected_calls = static_cast<int>(harness::kUserSubroutines.size()) + 4;
  std::string failure;
  // The version reports go to a scratch file, not into the test's output.
  harness::capture_standard_output([&] {
    for (int cycle = 0; cycle < kCycles && failure.empty(); ++cycle) {
      std::string reason;
      const int calls = load_call_free(reason);
      if (calls != expected_calls) {
        failure = "cycle " + std::to_string(cycle) + ": " + std::to_string(calls) +
                  " calls made, not " + std::to_string(expected_calls) + " " + reason;
      } else if (harness::sibling_routine("gyrix_solver", "gyrix_solver_version") != nullptr) {
        failure = "cycle " + std::to_string(cycle) + ": the library stayed loaded when freed";
      }
    }
  });
  EXPECT_EQ(failure, "");
}

}  // namespace
