// Reading and writing the x86 floating-point control registers: the x87 control word
// and the SSE MXCSR. Both units carry exception masks; the library raises a status
// flag only where both mask its exception, so it never traps in the caller's process.
#pragma once

#include <cstdint>

struct FpControls {
  uint16_t x87;    // control word: masks in bits 0-5, precision 8-9, rounding 10-11
  uint32_t mxcsr;  // flags in bits 0-5, masks in bits 7-12, rounding in 13-14

  bool operator==(const FpControls& other) const {
    return x87 == other.x87 && mxcsr == other.mxcsr;
  }
};

// Exception bits in the order of both units' flag and mask fields, the same values as
// <cfenv>'s FE_* macros on x86.
enum FpException : unsigned { kFpInvalid = 0x01, kFpInexact = 0x20, kFpAllExceptions = 0x3f };

inline FpControls read_fp_controls() {
  FpControls controls;
  __asm__ volatile("fnstcw %0" : "=m"(controls.x87));
  __asm__ volatile("stmxcsr %0" : "=m"(controls.mxcsr));
  return controls;
}

inline void write_fp_controls(const FpControls& controls) {
  __asm__ volatile("fldcw %0" : : "m"(controls.x87));
  __asm__ volatile("ldmxcsr %0" : : "m"(controls.mxcsr));
}

// Sets the x87 status flags of `exceptions`, as the C library's feraiseexcept does there,
// without needing the maths library (where glibc keeps it). For masked exceptions only:
// their flags make nothing pending, so nothing traps.
inline void raise_x87_flags(unsigned exceptions) {
  struct {
    uint16_t control, unused_1, status, unused_2;
    uint32_t rest[5];
  } environment;  // fnstenv's 28 bytes
  __asm__ volatile("fnstenv %0" : "=m"(environment));
  environment.status = static_cast<uint16_t>(environment.status | exceptions);
  __asm__ volatile("fldenv %0" : : "m"(environment));
}

// The exceptions that neither unit would trap on.
inline unsigned masked_fp_exceptions(const FpControls& controls) {
  return controls.x87 & (controls.mxcsr >> 7) & kFpAllExceptions;
}
