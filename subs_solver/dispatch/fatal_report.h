// The fatal reports of the user-subroutine entry points: an 80-character message handed
// to the host's error service, which ends the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace gyrix {

inline constexpr std::size_t kInvalidTextLength = 55;
inline constexpr std::size_t kUnsuppliedTextLength = 39;

// Columns 1-55: `text` (kInvalidTextLength characters); 56-59: `number` right-aligned, or "****"
// when it needs more than four characters; 60-80: blanks.
void report_invalid_routine(std::string_view text, int32_t number);

// Columns 1-39: `text` (kUnsuppliedTextLength characters); 40-66: "No user subroutine supplied";
// 67-80: blanks.
void report_unsupplied(std::string_view text);

}  // namespace gyrix
