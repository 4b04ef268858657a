// Any 64-bit pattern as PAR(1), through any dispatcher, with every other word an address
// that must not be touched. Each call must do exactly one thing: call the element routine
// of the truncated number once with the very same words, or hand ERRMES the one
// 80-character report. Both are checked against a model of the dispatchers' contract
// built on the harness's table of the contract (the example transcripts check the table).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host_call.h"

namespace {

// Truncation toward zero; INT32_MIN for what has no 32-bit number.
int32_t model_number(double x) {
  if (!(x > -2147483649.0 && x < 2147483648.0)) return INT32_MIN;
  return static_cast<int32_t>(std::trunc(x));
}

std::string model_report(const harness::EntryPoint& dispatcher, int32_t number) {
  char field[16] = "****";
  if (number > -1000 && number < 10000) std::snprintf(field, sizeof field, "%4d", number);
  return "Error in dispatcher subroutine " + std::string(dispatcher.report_name) +
         ": Invalid PAR(1): " + field + std::string(21, ' ');
}

void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "routing fuzz: %s\n", what);
  std::abort();
}

const harness::Library& library() {
  static const harness::Library loaded;
  require(loaded.loaded(), "the library does not load");
  standin_set_echo(0);
  standin_set_errmes_returns(1);
  return loaded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size != 9) return -1;  // one byte for the dispatcher, eight for PAR(1)
  static const std::vector<const harness::EntryPoint*> dispatchers = [] {
    std::vector<const harness::EntryPoint*> found;
    for (const harness::EntryPoint& entry : harness::kUserSubroutines) {
      if (entry.par_word) found.push_back(&entry);
    }
    return found;
  }();
  const harness::EntryPoint& entry = *dispatchers[data[0] % dispatchers.size()];
  double par[1];
  std::memcpy(par, data + 1, sizeof par);
  harness::HostArguments arguments(entry);
  for (int i = 0; i < entry.words; ++i) {
    arguments.words[i] = reinterpret_cast<gyrix::Word>(static_cast<uintptr_t>(0x100 + 8 * i));
  }
  arguments.words[*entry.par_word - 1] = par;  // where the table says PAR is

  journal_clear();
  require(harness::call_user_subroutine(library(), entry, arguments), "entry point missing");
  require(journal_size() == 1, "not exactly one call out of the dispatcher");
  const JournalEntry& seen = *journal_entry(0);

  const int32_t number = model_number(par[0]);
  for (std::size_t i = 0; i < entry.route_count; ++i) {
    const harness::Route& route = harness::kRoutes[entry.first_route + i];
    if (route.number != number) continue;
    require(std::strcmp(seen.routine, route.routine) == 0, "wrong element routine");
    require(seen.word_count == entry.words, "wrong number of words");
    require(std::equal(seen.words, seen.words + entry.words, arguments.words), "words changed");
    return 0;
  }
  require(std::strcmp(seen.routine, "ERRMES") == 0, "routed a number without a route");
  const std::string expected = model_report(entry, number);
  require(seen.text[0].length == 80 &&
              std::memcmp(seen.text[0].chars, expected.data(), expected.size()) == 0,
          "wrong report");
  require(seen.flag == -1 && seen.id == 0 && seen.text[1].length == 4 &&
              std::memcmp(seen.text[1].chars, "STOP", 4) == 0,
          "wrong report arguments");
  return 0;
}
