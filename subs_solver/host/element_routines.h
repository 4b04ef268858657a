// The element routines of elemlib behind the dispatchers, one for each route of the
// binary contract (entry_points.def). Each takes as many argument words as its
// dispatcher, every word an address that the dispatcher passes on as it received it.
#pragma once

#include <cstddef>

#include "host/word_routine.h"

// The kind of element routine behind each dispatcher, named as the dispatcher: its
// argument words, and which of them holds the address of PAR (0 for the first).
namespace gyrix::kind {
#define DISPATCHER(name, words, par_word, report_name)        \
  struct name {                                               \
    static constexpr std::size_t kWords = words;              \
    static constexpr std::size_t kParWord = par_word - 1;     \
    static_assert(par_word >= 1 && par_word <= words, #name); \
  };                                                          \
  GYRIX_KIND_WORDS(name, words)
#include "expand_entry_points.h"
}  // namespace gyrix::kind

// Each route's element routine, and gyrix::cell::ROUTINE, the cell holding its address
// that the route tables name (see GYRIX_ROUTINE_CELL).
#define ROUTE(dispatcher, number, routine)                                              \
  extern "C" GYRIX_IMPORT gyrix::WordFunction<gyrix::kind::dispatcher::kWords> routine; \
  namespace gyrix::cell {                                                               \
  GYRIX_ROUTINE_CELL(routine, dispatcher)                                               \
  }
#include "expand_entry_points.h"
