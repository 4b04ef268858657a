// The texts of the fatal reports that the user-subroutine entry points issue, one for
// each entry point of the binary contract (entry_points.def), named as the entry point.
// Each text names its entry point by the report name of the contract (conSUB).
#pragma once

#include <string_view>

#include "dispatch/fatal_report.h"

namespace gyrix::texts {

// Dispatchers: the text leads a routine number that is missing from the route table.
#define DISPATCHER(name, words, par_word, report_name)                     \
  inline constexpr std::string_view name =                                 \
      "Error in dispatcher subroutine " #report_name ": Invalid PAR(1): "; \
  static_assert(name.size() == kInvalidTextLength, #report_name " is not six characters");
// Entry points without routines: the text leads kNoSubroutine.
#define UNSUPPLIED(name, words, report_name)                                                    \
  inline constexpr std::string_view name = "Error in dispatcher subroutine " #report_name ": "; \
  static_assert(name.size() == kUnsuppliedTextLength, #report_name " is not six characters");
#include "expand_entry_points.h"

inline constexpr std::string_view kNoSubroutine = "No user subroutine supplied";

}  // namespace gyrix::texts
