// The dispatchers of the binary contract (entry_points.def): user-subroutine entry points
// that route by PAR(1) to the element library, each through its route table.
#include "dispatch/route_tables.h"

#define DISPATCHER(name, words, par_word, report_name) \
  GYRIX_DEFINE_WORD_ROUTINE(name, words, gyrix::dispatch<gyrix::routes::name>)
#include "expand_entry_points.h"
