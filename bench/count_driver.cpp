// The instruction counts, free of machine noise: run under
//   valgrind --tool=callgrind --collect-atstart=no count_driver
// it runs every path of paths.h N and 2N times, each run collected alone and dumped
// under the label "<path>#<calls>", so that (Ir(2N) - Ir(N)) / N is one call's count
// with the loop's set-up cancelled. bench/check_counts.py reads the dumps, subtracts the
// counts of the direct calls and judges them. Not under callgrind it
// only makes every call once, as a smoke test.
#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "paths.h"

namespace {

int calls_per_run = 1000;

void measure(const std::string& path, const std::function<void(int)>& loop) {
  loop(1);  // resolves lazily bound symbols and warms up, outside the counts
  for (const int calls : {calls_per_run, 2 * calls_per_run}) {
    CALLGRIND_TOGGLE_COLLECT;
    loop(calls);
    CALLGRIND_TOGGLE_COLLECT;
    const std::string label = path + "#" + std::to_string(calls);
    CALLGRIND_DUMP_STATS_AT(label.c_str());
  }
}

void measure_call(const std::string& path, const bench::Call& call) {
  measure(path, [&call](int calls) {
    for (int i = 0; i < calls; ++i) call();
  });
}

void measure_filter(const std::string& path, harness::MessageFilter filter,
                    const bench::FilterCase& c) {
  volatile harness::MessageFilter routine = filter;
  measure(path, [&](int calls) {
    for (int i = 0; i < calls; ++i) {
      const int32_t answer = routine(c.msgid.data(), static_cast<int32_t>(c.msgid.size()),
                                     c.subid.data(), static_cast<int32_t>(c.subid.size()));
      if (answer != -1 && answer != 0) bench::fail("USR_MSGFILTER answered no logical");
    }
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) calls_per_run = std::atoi(argv[1]);
  if (calls_per_run <= 0) bench::fail("usage: count_driver [calls per run]");
  const bench::MeasuredLibrary measured;
  for (const bench::RoutedCase& c : bench::routed_cases()) {
    const std::string name = std::string(c.entry) + "/" + std::string(c.routine);
    measure_call(name + "/routed", measured.entry_call(c.entry, c.par1));
    measure_call(name + "/direct", measured.element_call(c.entry, c.routine, c.par1));
  }
  measure_call("fatal_report/routed", measured.entry_call(bench::kFatalEntry, bench::kFatalPar1));
  measure("fatal_report/direct", [&measured](int calls) {
    for (int i = 0; i < calls; ++i) measured.errmes_direct();
  });
  for (const bench::FilterCase& c : bench::kFilterCases) {
    measure_filter("USR_MSGFILTER/" + std::string(c.label) + "/routed", measured.filter(), c);
    measure_filter("USR_MSGFILTER/" + std::string(c.label) + "/direct", bench::empty_filter, c);
  }
  // Every route's exact number, one call dumped alone ("fast_path/<entry>/<routine>"),
  // so that the judged check (check_counts.py) sees which routines it runs.
  for (const bench::RoutedCase& c : bench::every_route()) {
    const bench::Call call = measured.entry_call(c.entry, c.par1);
    call();
    CALLGRIND_TOGGLE_COLLECT;
    call();
    CALLGRIND_TOGGLE_COLLECT;
    const std::string label = "fast_path/" + std::string(c.entry) + "/" + std::string(c.routine);
    CALLGRIND_DUMP_STATS_AT(label.c_str());
  }
  std::printf(RUNNING_ON_VALGRIND ? "count_driver: %d and %d calls per path dumped\n"
                                  : "count_driver: every path called (%d, %d times); run it "
                                    "under callgrind for the counts\n",
              calls_per_run, 2 * calls_per_run);
  return 0;
}
