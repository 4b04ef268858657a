// A dispatcher's constant route table and the routing that reads it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
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

// Forwards the call to the routine that PAR(1) selects, or issues the fatal report.
// Nothing is read through any word but PAR's, and nothing written.
template <const auto& table, class... Args>
inline void dispatch(Args... words) {
  static_assert(sizeof...(Args) == table.kWords);
  const Word received[] = {words...};
  const void* par = received[table.par_word];
  route_from<table>(routine_number(par), par, words...);
}

}  // namespace gyrix
