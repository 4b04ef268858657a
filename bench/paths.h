// What the measurements call: for each dispatcher, the first and the last entry of its
// route table beside a direct call of the same element routine; the fatal report beside
// a direct call of ERRMES; the message filter for an id without a rule, a fixed rule and
// a switched rule. Everything is loaded and resolved by name as the host does it, with
// the stand-ins quiet (no journal, no printing) and ERRMES returning.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "filter_query.h"
#include "host_call.h"

namespace bench {

struct RoutedCase {
  std::string_view entry;    // the dispatcher
  std::string_view routine;  // the element routine that PAR(1) selects
  double par1;
  std::string_view position;  // "first" or "last" entry of the route table
};

// The first and the last route of each dispatcher in the harness's table of the
// contract: one case where the two are the same.
std::vector<RoutedCase> routed_cases();
// Every route of the contract, in its order (position "any").
std::vector<RoutedCase> every_route();

// The fatal report: a routine number that CONSUB's table lacks.
inline constexpr std::string_view kFatalEntry = "CONSUB";
inline constexpr double kFatalPar1 = 902.0;

struct FilterCase {
  std::string_view label;
  std::string_view msgid, subid;
};

// The switched rule's variable stays unset, as on most hosts.
inline constexpr std::array<FilterCase, 3> kFilterCases{{
    {"no_rule", "XYZABC", "ANYTHING"},
    {"fixed_rule", "MOTFCH", "MOTDEP"},
    {"switched_rule", "UVCHEK", "BIG_DIFF"},
}};
inline constexpr std::string_view kSwitchVariable = "QAV_VELTA_MSG_UVCHEK";

// The filter's baseline: a routine of the same kind that does nothing but answer.
int32_t GYRIX_CALL empty_filter(const char* msgid, int32_t msgid_len, const char* subid,
                                int32_t subid_len);

// A routine with its argument words, ready to be called again and again.
struct Call {
  void* routine = nullptr;
  std::size_t words = 0;
  std::unique_ptr<harness::HostArguments> arguments;

  void operator()() const { harness::call_words(routine, words, arguments->words); }
};

// The library and its stand-ins, loaded and set up for measuring. Ends the program
// with a message when anything cannot be found.
class MeasuredLibrary {
 public:
  MeasuredLibrary();

  // The dispatcher `entry` with PAR(1) = par1, as the host calls it.
  Call entry_call(std::string_view entry, double par1) const;
  // The element routine `routine` of elemlib, called with the words that the
  // dispatcher `entry` would pass it.
  Call element_call(std::string_view entry, std::string_view routine, double par1) const;
  // ERRMES called with the message that the fatal report of kFatalEntry composes.
  void errmes_direct() const;

  harness::MessageFilter filter() const { return filter_; }

 private:
  harness::Library library_;
  harness::MessageFilter filter_ = nullptr;
  using Errmes = void(GYRIX_CALL*)(const int32_t*, const char*, int32_t, const int32_t*,
                                   const char*, int32_t);
  Errmes errmes_ = nullptr;
  std::string fatal_message_;
};

// Fails with a message on standard error and exit status 1.
[[noreturn]] void fail(const std::string& what);

}  // namespace bench
