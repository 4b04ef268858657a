#include "dispatch/routine_number.h"

#include <cfenv>
#include <cstring>

#include "fp_control.h"

namespace gyrix {
namespace {

static_assert(FE_INVALID == kFpInvalid && FE_INEXACT == kFpInexact);

// IEEE double fields.
constexpr int kFractionBits = 52;
constexpr int kExponentBias = 1023;
constexpr uint64_t kFractionMask = (uint64_t{1} << kFractionBits) - 1;
constexpr uint64_t kImplicitBit = uint64_t{1} << kFractionBits;
constexpr uint64_t kLimit = uint64_t{1} << 31;  // the magnitude of INT32_MIN

// Kept out of line: the common path, a whole routine number, never comes here.
[[gnu::noinline, gnu::cold]] void raise_masked(unsigned exceptions) {
  const unsigned raised = exceptions & masked_fp_exceptions(read_fp_controls());
  if (raised != 0) std::feraiseexcept(static_cast<int>(raised));
}

}  // namespace

// The conversion works on the value's bit pattern alone, so no floating-point unit sees
// the value: no rounding mode or precision applies and no trap can fire.
int32_t routine_number(const void* par) {
  uint64_t bits;
  std::memcpy(&bits, par, sizeof bits);
  const bool negative = (bits >> 63) != 0;
  const int exponent = static_cast<int>(bits >> kFractionBits & 0x7ff) - kExponentBias;

  if (exponent < 0) {  // |x| < 1, zero and subnormals included
    if ((bits << 1) != 0) raise_masked(kFpInexact);
    return 0;
  }
  if (exponent > 31) {  // |x| >= 2^32, infinities and NaNs included
    raise_masked(kFpInvalid);
    return INT32_MIN;
  }
  const int shift = kFractionBits - exponent;  // 21 .. 52
  const uint64_t significand = (bits & kFractionMask) | kImplicitBit;
  const uint64_t magnitude = significand >> shift;
  if (magnitude > (negative ? kLimit : kLimit - 1)) {
    raise_masked(kFpInvalid);
    return INT32_MIN;
  }
  if ((significand << (64 - shift)) != 0) raise_masked(kFpInexact);
  return static_cast<int32_t>(negative ? -static_cast<int64_t>(magnitude)
                                       : static_cast<int64_t>(magnitude));
}

}  // namespace gyrix
