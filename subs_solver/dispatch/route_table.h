// A dispatcher's constant route table and the routing that reads it.
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

template <std::size_t Words>
struct Route {
  int32_t number;
  WordRoutine<Words> routine;
};

template <std::size_t Words, std::size_t Routes>
struct RouteTable {
  static constexpr std::size_t kWords = Words;
  std::size_t par_word;                     // which argument word holds the address of PAR
  std::string_view report_text;             // leads the fatal report of a number not in `routes`
  std::array<Route<Words>, Routes> routes;  // tried in this order
};

// Tries the routes from `Route` on, in table order; the first whose number equals
// `number` gets the call, words unchanged. The table is a template argument, so this
// compiles to a chain of comparisons with constants ending in a jump to the routine.
template <const auto& table, std::size_t Route = 0, class... Args>
inline void route_from(int32_t number, const void* par, Args... words) {
  if constexpr (Route == table.routes.size()) {
    report_invalid_routine(table.report_text, routine_number(par));
  } else if (table.routes[Route].number == number) {
    table.routes[Route].routine(words...);
  } else {
    route_from<table, Route + 1>(number, par, words...);
  }
}

// The general routing: converts PAR(1) (raising the floating-point flags that the
// conversion calls for) and tries the routes. A routine of the element routines' kind,
// kept out of line, so that the common path below stays a leaf that ends in one jump.
template <const auto& table, class... Args>
[[gnu::noinline]] void GYRIX_CALL route_converted(Args... words) {
  const Word received[] = {words...};
  const void* par = received[table.par_word];
  route_from<table>(routine_number(par), par, words...);
}

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

// The routine of the first route from `Route` on whose number has the upper bits
// `upper`, or `otherwise`.
template <const auto& table, std::size_t Route = 0>
inline WordRoutine<table.kWords> exact_route(uint32_t upper, WordRoutine<table.kWords> otherwise) {
  if constexpr (Route == table.routes.size()) {
    return otherwise;
  } else {
    static_assert(has_upper_bits_only(table.routes[Route].number));
    if (upper == upper_bits(table.routes[Route].number)) return table.routes[Route].routine;
    return exact_route<table, Route + 1>(upper, otherwise);
  }
}

// Forwards the call to the routine that PAR(1) selects, or issues the fatal report.
// Nothing is read through any word but PAR's, and nothing written.
//
// The common case, PAR(1) a whole number of the table exactly, needs no conversion:
// it is the double of that number bit for bit, no flag is due, and the bit pattern
// selects the route. Every other value takes the general routing, which converts it.
// Either way the call leaves through one call site with the words as received, which
// the compiler makes a jump that leaves the argument words where they are.
template <const auto& table, class... Args>
inline void dispatch(Args... words) {
  static_assert(sizeof...(Args) == table.kWords);
  const Word received[] = {words...};
  uint64_t bits;
  std::memcpy(&bits, received[table.par_word], sizeof bits);
  WordRoutine<table.kWords> target = route_converted<table, Args...>;
  if (static_cast<uint32_t>(bits) == 0) {
    target = exact_route<table>(static_cast<uint32_t>(bits >> 32), target);
  }
  target(words...);
}

}  // namespace gyrix
