// The user-subroutine entry points that have no routines behind them (UNSUPPLIED in
// entry_points.def): every call ends the run with a report naming the entry point. The
// arguments are never looked at.
#include "dispatch/fatal_report.h"
#include "dispatch/report_texts.h"
#include "host/word_routine.h"

namespace gyrix {
namespace {

template <const std::string_view& text, class... Words>
inline void report_unsupplied_call(Words...) {
  report_unsupplied(text);
}

}  // namespace
}  // namespace gyrix

#define UNSUPPLIED(name, words, report_name) \
  GYRIX_DEFINE_WORD_ROUTINE(name, words, gyrix::report_unsupplied_call<gyrix::texts::name>)
#include "expand_entry_points.h"
