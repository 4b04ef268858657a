// The element routines of elemlib behind the dispatchers. Each takes as many argument
// words as its dispatcher, every word an address that the dispatcher passes on as it
// received it.
#pragma once

#include "host/word_routine.h"

// Declares the element routine NAME of WORDS argument words, and gyrix::cell::NAME,
// the cell holding its address that the route tables name (see GYRIX_ROUTINE_CELL).
#define GYRIX_ELEMENT_ROUTINE(name, words)                 \
  extern "C" GYRIX_IMPORT gyrix::WordFunction<words> name; \
  namespace gyrix::cell {                                  \
  GYRIX_ROUTINE_CELL(name, words)                          \
  }

GYRIX_ELEMENT_ROUTINE(CON900, 2)
GYRIX_ELEMENT_ROUTINE(CON905, 2)
GYRIX_ELEMENT_ROUTINE(CON917, 2)
GYRIX_ELEMENT_ROUTINE(CON920, 2)

GYRIX_ELEMENT_ROUTINE(DIF901, 7)
GYRIX_ELEMENT_ROUTINE(DIF1117, 7)

GYRIX_ELEMENT_ROUTINE(FIE900, 11)
GYRIX_ELEMENT_ROUTINE(FIE901, 11)
GYRIX_ELEMENT_ROUTINE(FIE910, 11)

GYRIX_ELEMENT_ROUTINE(REQ904, 6)
GYRIX_ELEMENT_ROUTINE(REQ905, 6)
GYRIX_ELEMENT_ROUTINE(REQ909, 6)

GYRIX_ELEMENT_ROUTINE(SFO901, 7)

GYRIX_ELEMENT_ROUTINE(VAR907, 7)
GYRIX_ELEMENT_ROUTINE(VAR913, 7)
GYRIX_ELEMENT_ROUTINE(VAR1117, 7)
