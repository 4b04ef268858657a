#include <cstdio>
#include <cstdlib>

#include "entry_points.h"
#include "environment_variables.h"
#include "paths.h"

namespace bench {

void fail(const std::string& what) {
  std::fprintf(stderr, "bench: %s\n", what.c_str());
  std::exit(1);
}

namespace {

const harness::EntryPoint& entry_point(std::string_view name) {
  const harness::EntryPoint* entry = harness::find_user_subroutine(name);
  if (entry == nullptr) fail("no entry point " + std::string(name));
  return *entry;
}

// The 80 characters of the report for PAR(1) = 902 at CONSUB.
constexpr std::string_view kFatalText = "Error in dispatcher subroutine conSUB: Invalid PAR(1): ";

}  // namespace

std::vector<RoutedCase> routed_cases() {
  std::vector<RoutedCase> cases;
  for (const harness::EntryPoint& dispatcher : harness::kUserSubroutines) {
    if (!dispatcher.par_word) continue;
    const harness::Route& first = harness::kRoutes[dispatcher.first_route];
    const harness::Route& last =
        harness::kRoutes[dispatcher.first_route + dispatcher.route_count - 1];
    if (&first == &last) {
      cases.push_back(
          {first.dispatcher, first.routine, static_cast<double>(first.number), "first=last"});
      continue;
    }
    cases.push_back({first.dispatcher, first.routine, static_cast<double>(first.number), "first"});
    cases.push_back({last.dispatcher, last.routine, static_cast<double>(last.number), "last"});
  }
  return cases;
}

std::vector<RoutedCase> every_route() {
  std::vector<RoutedCase> cases;
  for (const harness::Route& route : harness::kRoutes) {
    cases.push_back({route.dispatcher, route.routine, static_cast<double>(route.number), "any"});
  }
  return cases;
}

MeasuredLibrary::MeasuredLibrary() {
  if (!library_.loaded()) fail("cannot load " + library_.file() + ": " + library_.error());
  standin_set_quiet(1);
  standin_set_errmes_returns(1);
  filter_ = harness::resolve_message_filter(library_);
  if (filter_ == nullptr) fail("no USR_MSGFILTER");
  errmes_ = reinterpret_cast<Errmes>(harness::sibling_routine("hostutil", "ERRMES"));
  if (errmes_ == nullptr) fail("no ERRMES in hostutil");
  harness::set_environment(std::string(kSwitchVariable).c_str(), nullptr);
  fatal_message_ = std::string(kFatalText) + " 902";
  fatal_message_.resize(80, ' ');
}

Call MeasuredLibrary::entry_call(std::string_view entry, double par1) const {
  const harness::EntryPoint& point = entry_point(entry);
  Call call;
  call.routine = library_.resolve(point.name);
  if (call.routine == nullptr) fail("the library lacks " + std::string(entry));
  call.words = static_cast<std::size_t>(point.words);
  call.arguments = std::make_unique<harness::HostArguments>(point, par1);
  return call;
}

Call MeasuredLibrary::element_call(std::string_view entry, std::string_view routine,
                                   double par1) const {
  const harness::EntryPoint& point = entry_point(entry);
  Call call;
  call.routine = harness::sibling_routine("elemlib", routine);
  if (call.routine == nullptr) fail("elemlib lacks " + std::string(routine));
  call.words = static_cast<std::size_t>(point.words);
  call.arguments = std::make_unique<harness::HostArguments>(point, par1);
  return call;
}

void MeasuredLibrary::errmes_direct() const {
  static constexpr int32_t kTrue = -1;
  static constexpr int32_t kId = 0;
  errmes_(&kTrue, fatal_message_.data(), static_cast<int32_t>(fatal_message_.size()), &kId, "STOP",
          4);
}

int32_t GYRIX_CALL empty_filter(const char*, int32_t, const char*, int32_t) { return -1; }

}  // namespace bench
