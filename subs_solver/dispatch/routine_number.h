// The routine number that a dispatcher routes by: the double PAR(1) truncated toward
// zero to a 32-bit signed integer.
#pragma once

#include <cstdint>

namespace gyrix {

// Reads the double at `par` and truncates it toward zero, whatever rounding the caller
// has set. A NaN, an infinity or a value whose truncation lies outside the 32-bit range
// gives INT32_MIN. The caller's floating-point controls stay untouched. As a hardware
// conversion would, it raises the inexact flag for a dropped fraction and the invalid
// flag for a value without a number, but only where that exception is masked: it never
// traps, not even on a signalling NaN.
int32_t routine_number(const void* par);

}  // namespace gyrix
