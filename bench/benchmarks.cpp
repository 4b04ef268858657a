// Google Benchmark: each dispatcher's routed call for the first and the last entry of
// its route table beside a direct call of the same element routine, the fatal report
// beside a direct ERRMES call, and the message filter. Times on a shared machine are
// noisy; the instruction counts (count_driver under callgrind) are the figures to judge.
#include <benchmark/benchmark.h>

#include <string>

#include "paths.h"

namespace {

void register_call(const std::string& name, bench::Call call) {
  benchmark::RegisterBenchmark(name.c_str(), [call = std::move(call)](benchmark::State& state) {
    for (auto _ : state) call();
  });
}

// The filter, or its empty baseline, called through a pointer the compiler cannot see.
void register_filter(const std::string& name, harness::MessageFilter filter,
                     const bench::FilterCase& c) {
  benchmark::RegisterBenchmark(name.c_str(), [filter, c](benchmark::State& state) {
    harness::MessageFilter routine = filter;
    for (auto _ : state) {
      benchmark::DoNotOptimize(routine);
      benchmark::DoNotOptimize(routine(c.msgid.data(), static_cast<int32_t>(c.msgid.size()),
                                       c.subid.data(), static_cast<int32_t>(c.subid.size())));
    }
  });
}

}  // namespace

int main(int argc, char** argv) {
  static const bench::Session session;
  for (const bench::RoutedCase& c : bench::routed_cases()) {
    const std::string name = std::string(c.entry) + "/" + std::string(c.routine);
    register_call(name + "/routed", session.entry_call(c.entry, c.par1));
    register_call(name + "/direct", session.element_call(c.entry, c.routine, c.par1));
  }
  register_call("fatal_report/routed", session.entry_call(bench::kFatalEntry, bench::kFatalPar1));
  benchmark::RegisterBenchmark("fatal_report/direct", [](benchmark::State& state) {
    for (auto _ : state) session.errmes_direct();
  });
  for (const bench::FilterCase& c : bench::kFilterCases) {
    const std::string name = "USR_MSGFILTER/" + std::string(c.label);
    register_filter(name + "/routed", session.filter(), c);
    register_filter(name + "/direct", bench::empty_filter, c);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
