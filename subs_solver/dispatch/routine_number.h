// The routine number that a dispatcher routes by: the double PAR(1) truncated toward
// zero to a 32-bit signed integer.
#pragma once

#include <cstdint>
#include <cstring>

#include "fp_control.h"

namespace gyrix {

// Raises the status flags of `exceptions` where both units mask them. Kept out of line:
// the common path, a whole routine number, never comes here.
[[gnu::cold]] void raise_masked_fp_exceptions(unsigned exceptions);

// IEEE double fields.
namespace double_bits {
inline constexpr int kFractionBits = 52;
inline constexpr int kExponentBias = 1023;
inline constexpr uint64_t kFractionMask = (uint64_t{1} << kFractionBits) - 1;
inline constexpr uint64_t kImplicitBit = uint64_t{1} << kFractionBits;
inline constexpr uint64_t kLimit = uint64_t{1} << 31;  // the magnitude of INT32_MIN
}  // namespace double_bits

// Reads the double at `par` and truncates it toward zero, whatever rounding the caller
// has set. A NaN, an infinity or a value whose truncation lies outside the 32-bit range
// gives INT32_MIN. The caller's floating-point controls stay untouched. As a hardware
// conversion would, it raises the inexact flag for a dropped fraction and the invalid
// flag for a value without a number, but only where that exception is masked: it never
// traps, not even on a signalling NaN.
//
// The conversion works on the value's bit pattern alone, so no floating-point unit sees
// the value: no rounding mode or precision applies and no trap can fire.
inline int32_t routine_number(const void* par) {
  using namespace double_bits;
  uint64_t bits;
  std::memcpy(&bits, par, sizeof bits);
  const bool negative = (bits >> 63) != 0;
  const int exponent = static_cast<int>(bits >> kFractionBits & 0x7ff) - kExponentBias;

  if (exponent < 0) {  // |x| < 1, zero and subnormals included
    if ((bits << 1) != 0) raise_masked_fp_exceptions(kFpInexact);
    return 0;
  }
  if (exponent > 31) {  // |x| >= 2^32, infinities and NaNs included
    raise_masked_fp_exceptions(kFpInvalid);
    return INT32_MIN;
  }
  const int shift = kFractionBits - exponent;  // 21 .. 52
  const uint64_t significand = (bits & kFractionMask) | kImplicitBit;
  const uint64_t magnitude = significand >> shift;
  if (magnitude > (negative ? kLimit : kLimit - 1)) {
    raise_masked_fp_exceptions(kFpInvalid);
    return INT32_MIN;
  }
  if ((significand << (64 - shift)) != 0) raise_masked_fp_exceptions(kFpInexact);
  return static_cast<int32_t>(negative ? -static_cast<int64_t>(magnitude)
                                       : static_cast<int64_t>(magnitude));
}

}  // namespace gyrix
