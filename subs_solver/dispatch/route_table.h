// A dispatcher's constant route table and the routing that reads it.
//
// What a call of a dispatcher does, in order (dispatch(), at the end of this file):
//   1. It reads the 64 bits of PAR(1) through the table's PAR word, and nothing else.
//   2. Lower 32 bits zero: PAR(1) may be a route's number exactly, the common case. The
//      upper 32 bits alone then pick the route (upper_bits()), no conversion is due and
//      no floating-point flag. The call goes on to that route's element routine, words
//      unchanged, as a jump that leaves them where they lie:
//        - every word in a register (x86-64, up to six words): a branch and a jump per
//          route (branch_exact());
//        - else: a select per route chooses the cell, one jump leaves (exact_route()).
//   3. Anything else (a fraction, a number that no route has, a NaN, ...) goes to the
//      general routing, route_converted(), out of line: it converts PAR(1) as the host's
//      compiler would (routine_number(), raising the flags due), tries the routes in
//      table order (route_from()) and calls the match, or issues the fatal report
//      (report_invalid_routine()) with the table's text and the converted number.
// The table is a template argument throughout, so that the compiler folds it into
// comparisons with constants: no table is read at run time. The measured result of
// this form (instructions, no stack store, one jump) is in bench/README.md.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "dispatch/fatal_report.h"
#include "dispatch/routine_number.h"
#include "host/element_routines.h"
#include "host/word_routine.h"

namespace gyrix {

// The table.

template <std::size_t Words>
struct Route {
  int32_t number;
  const WordRoutine<Words>* routine;  // the cell holding the routine's address
};

template <std::size_t Words, std::size_t Routes>
struct RouteTable {
  static constexpr std::size_t kWords = Words;
  std::size_t par_word;                     // the argument word with the address of PAR, 0 first
  std::string_view report_text;             // leads the fatal report of a number not in `routes`
  std::array<Route<Words>, Routes> routes;  // tried in this order
};

// Step 3, the general routing.

// The argument word at `Position`, read without putting the words in memory.
template <std::size_t Position, class... Args>
inline Word word_at(Args... words) {
  Word found = nullptr;
  std::size_t at = 0;
  ((found = at++ == Position ? words : found), ...);
  return found;
}

// Tries the routes from `Route` on, in table order; the first whose number equals
// `number` gets the call, words unchanged. The table is a template argument, so this
// compiles to a chain of comparisons with constants ending in a jump to the routine.
template <const auto& table, std::size_t Route = 0, class... Args>
inline void route_from(int32_t number, const void* par, Args... words) {
  if constexpr (Route == table.routes.size()) {
    report_invalid_routine(table.report_text, routine_number(par));
  } else if (table.routes[Route].number == number) {
    (*table.routes[Route].routine)(words...);
  } else {
    route_from<table, Route + 1>(number, par, words...);
  }
}

// The general routing: converts PAR(1) (raising the floating-point flags that the
// conversion calls for) and tries the routes. A routine of the element routines' kind,
// kept out of line, so that the common path below stays a leaf that ends in one jump.
template <const auto& table, class... Args>
[[gnu::noinline]] void GYRIX_CALL route_converted(Args... words) {
  const void* par = word_at<table.par_word>(words...);
  route_from<table>(routine_number(par), par, words...);
}

// Step 2, a route's number exactly.

// An exact whole routine number that a double can hold with its lower 32 bits zero
// (|n| < 2^20) is recognised by the upper 32 bits of PAR(1) alone.
constexpr uint32_t upper_bits(int32_t number) {
  const auto bits = __builtin_bit_cast(uint64_t, static_cast<double>(number));
  return static_cast<uint32_t>(bits >> 32);
}
constexpr bool has_upper_bits_only(int32_t number) {
  const auto bits = __builtin_bit_cast(uint64_t, static_cast<double>(number));
  return static_cast<uint32_t>(bits) == 0;
}

// Calls the routine of the first route whose number has the upper bits `upper`, or the
// general routing: a branch and a jump per route, for words that all lie in registers.
template <const auto& table, std::size_t Route = 0, class... Args>
[[gnu::always_inline]] inline void branch_exact(uint32_t upper, Args... words) {
  if constexpr (Route == table.routes.size()) {
    route_converted<table>(words...);
  } else {
    static_assert(has_upper_bits_only(table.routes[Route].number));
    if (upper == upper_bits(table.routes[Route].number)) {
      (*table.routes[Route].routine)(words...);
    } else {
      branch_exact<table, Route + 1>(upper, words...);
    }
  }
}

// The cell of the first route whose number has the upper bits `upper`, or `otherwise`.
// Each route is a select, not a branch, taken from the last to the first so that the
// first match wins: the call after it then stays in the dispatcher's first block,
// the only place from which the compiler jumps leaving stack words in their slots.
template <const auto& table, std::size_t... Route>
[[gnu::always_inline]] inline const WordRoutine<table.kWords>* exact_route(
    uint32_t upper, const WordRoutine<table.kWords>* otherwise, std::index_sequence<Route...>) {
  constexpr std::size_t last = sizeof...(Route) - 1;
  static_assert((has_upper_bits_only(table.routes[Route].number) && ...));
  const WordRoutine<table.kWords>* selected = otherwise;
  ((selected = upper == upper_bits(table.routes[last - Route].number)
                   ? table.routes[last - Route].routine
                   : selected),
   ...);
  return selected;
}

// The general routing's cell, for the dispatcher to call as it calls a route's.
template <const auto& table, class... Args>
inline constexpr WordRoutine<table.kWords> kConvertedCell = route_converted<table, Args...>;

// Steps 1 to 3: the dispatcher.

// Forwards the call to the routine that PAR(1) selects, or issues the fatal report.
// Nothing is read through any word but PAR's, and nothing written.
//
// The common case, PAR(1) a whole number of the table exactly, needs no conversion:
// it is the double of that number bit for bit, no flag is due, and the bit pattern
// selects the route. Every other value takes the general routing, which converts it.
// Either way the call is a jump that leaves the argument words where they are: from a
// branch per route when every word lies in a register, else from one call site.
template <const auto& table, class... Args>
[[gnu::always_inline]] inline void dispatch(Args... words) {
  static_assert(sizeof...(Args) == table.kWords);
  uint64_t bits;
  std::memcpy(&bits, word_at<table.par_word>(words...), sizeof bits);
  if constexpr (table.kWords <= GYRIX_REGISTER_WORDS) {
    if (static_cast<uint32_t>(bits) == 0) {
      branch_exact<table>(static_cast<uint32_t>(bits >> 32), words...);
    } else {
      route_converted<table>(words...);
    }
  } else {
    const WordRoutine<table.kWords>* target = &kConvertedCell<table, Args...>;
    if (static_cast<uint32_t>(bits) == 0) {
      target = exact_route<table>(static_cast<uint32_t>(bits >> 32), target,
                                  std::make_index_sequence<table.routes.size()>{});
    }
    (*target)(words...);
  }
}

}  // namespace gyrix
