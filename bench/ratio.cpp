// The ratio of a routed call to a direct call of the same element routine, timed with
// the standard clock: the measurement for the 32-bit Windows build (under Wine), where
// neither Google Benchmark nor callgrind is at hand. Absolute times on a shared machine
// are noise; the ratios are the figures. Usage: routing_ratio [calls per measurement]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "paths.h"

namespace {

// The best of several runs, in nanoseconds per call.
double time_per_call(const bench::Call& call, long calls) {
  double best = 0.0;
  for (int run = 0; run < 5; ++run) {
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < calls; ++i) call();
    const std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
    const double per_call = spent.count() / static_cast<double>(calls);
    best = run == 0 ? per_call : std::min(best, per_call);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const long calls = argc > 1 ? std::atol(argv[1]) : 2000000;
  if (calls <= 0) bench::fail("usage: routing_ratio [calls per measurement]");
  const bench::Session session;
  std::printf("%-10s %-9s %-10s %12s %12s %8s\n", "dispatcher", "routine", "entry", "routed ns",
              "direct ns", "ratio");
  for (const bench::RoutedCase& c : bench::routed_cases()) {
    const double routed = time_per_call(session.entry_call(c.entry, c.par1), calls);
    const double direct = time_per_call(session.element_call(c.entry, c.routine, c.par1), calls);
    std::printf("%-10s %-9s %-10s %12.2f %12.2f %8.2f\n", std::string(c.entry).c_str(),
                std::string(c.routine).c_str(), std::string(c.position).c_str(), routed, direct,
                direct > 0.0 ? routed / direct : 0.0);
  }
  return 0;
}
