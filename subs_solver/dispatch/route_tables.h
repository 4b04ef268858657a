// The dispatchers' route tables, gyrix::routes::NAME for each dispatcher of the binary
// contract (entry_points.def): its PAR word, its report text and its routes, routine
// number to element routine, in the order of the contract's ROUTE lines. The same number
// selects a different routine in each table.
#pragma once

#include <array>
#include <cstddef>
#include <type_traits>

#include "dispatch/report_texts.h"
#include "dispatch/route_table.h"
#include "host/element_routines.h"

namespace gyrix::routes {

// How many routes the dispatcher `Kind` (a gyrix::kind class) has.
template <class Kind>
constexpr std::size_t route_count() {
  return 0
#define ROUTE(dispatcher, number, routine) +std::size_t{std::is_same_v<Kind, kind::dispatcher>}
#include "expand_entry_points.h"
      ;
}

// The routes of the dispatcher `Kind`, in table order. A route of another dispatcher
// names a routine of other words, and `if constexpr` leaves it out unread.
template <class Kind>
constexpr std::array<Route<Kind::kWords>, route_count<Kind>()> routes_of() {
  static_assert(route_count<Kind>() > 0, "a dispatcher needs a route");
  std::array<Route<Kind::kWords>, route_count<Kind>()> routes{};
  std::size_t at = 0;
#define ROUTE(dispatcher, number, routine)                \
  if constexpr (std::is_same_v<Kind, kind::dispatcher>) { \
    routes[at++] = {number, &cell::routine};              \
  }
#include "expand_entry_points.h"
  return routes;
}

#define DISPATCHER(name, words, par_word, report_name)                \
  inline constexpr RouteTable<words, route_count<kind::name>()> name{ \
      kind::name::kParWord, texts::name, routes_of<kind::name>()};
#include "expand_entry_points.h"

}  // namespace gyrix::routes
