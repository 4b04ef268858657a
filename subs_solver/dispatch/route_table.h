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
  std::size_t par_word;                     // which argument word holds the address of PAR
  std::string_view report_text;             // leads the fatal report of a number not in `routes`
  std::array<Route<Words>, Routes> routes;  // tried in this order
};

// Forwards the call, words unchanged, to the routine that PAR(1) selects, or issues the
// fatal report. Nothing is read through any word but PAR's, and nothing written.
template <std::size_t Words, std::size_t Routes, class... Args>
inline void dispatch(const RouteTable<Words, Routes>& table, Args... words) {
  static_assert(sizeof...(Args) == Words);
  const Word received[] = {words...};
  const void* par = received[table.par_word];
  const int32_t number = routine_number(par);
  for (const Route<Words>& route : table.routes) {
    if (route.number == number) return route.routine(words...);
  }
  report_invalid_routine(table.report_text, routine_number(par));
}

}  // namespace gyrix
