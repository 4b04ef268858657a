// The one place where the 32-bit Windows build and the native build differ in code.
#pragma once

#include <cstdint>

#if defined(_WIN32) || defined(__i386__)
// The host calls every upper-case entry point, and the library calls the host's
// services and the element routines, with the callee popping its argument words.
// 32-bit Linux builds use it too, so that the convention is exercised where Wine
// cannot run.
#define GYRIX_CALL __attribute__((stdcall))
#else
#define GYRIX_CALL
#endif

// An imported routine whose address is taken must be read from the import table, or
// the address would be that of a jump stub inside the importing library. The
// stand-ins that define those routines build with GYRIX_DEFINES_IMPORTS.
#if defined(_WIN32) && !defined(GYRIX_DEFINES_IMPORTS)
#define GYRIX_IMPORT __declspec(dllimport)
#else
#define GYRIX_IMPORT
#endif

// GYRIX_ROUTINE_CELL(TYPE, CELL, ROUTINE, IMPORT_SLOT) declares CELL, a constant of TYPE
// holding the address of ROUTINE, declared before it: a dispatcher calls a route through
// its cell. On Windows the cell is the routine's slot in the import table, which the
// loader fills, so that the call reaches the routine in one jump (a dllimport routine's
// own address would be read from that slot, not a constant, and its address of a stub
// would cost a second jump); IMPORT_SLOT is the slot's symbol, __imp__NAME@<4*WORDS>.
// Elsewhere, and in the library that defines the routine, it is an ordinary constant.
#if defined(_WIN32) && !defined(GYRIX_DEFINES_IMPORTS)
#define GYRIX_ROUTINE_CELL(type, cell, routine, import_slot) \
  extern const type cell __asm__(import_slot);
#else
#define GYRIX_ROUTINE_CELL(type, cell, routine, import_slot) constexpr type cell = routine;
#endif

namespace gyrix {

// A dispatcher's table holds each route as a RouteEntry. On Windows that is the address of
// the route's cell, the import-table slot, read at the call: a constant table cannot hold
// the address that the loader writes there. Elsewhere it is the routine's address itself,
// which the dynamic loader writes into the table, so that the call is one jump through it.
#if defined(_WIN32) && !defined(GYRIX_DEFINES_IMPORTS)
template <class Routine>
using RouteEntry = const Routine*;
template <class Routine>
constexpr RouteEntry<Routine> route_entry(const Routine& cell) {
  return &cell;
}
template <class Routine>
Routine routine_of(RouteEntry<Routine> entry) {
  return *entry;
}
#else
template <class Routine>
using RouteEntry = Routine;
template <class Routine>
constexpr RouteEntry<Routine> route_entry(const Routine& cell) {
  return cell;
}
template <class Routine>
Routine routine_of(RouteEntry<Routine> entry) {
  return entry;
}
#endif

// The bits that a slot of a dispatcher's fast path keeps of its route's number, a double
// whose lower 32 bits are zero, and whether PAR(1)'s `bits` are that number. Where
// registers hold 32 bits the slot keeps the upper word alone, and PAR(1)'s lower word
// must be zero: both tested in one compare, ((upper ^ slot) | lower) == 0. Where they
// hold 64 it keeps the double's bits whole, compared whole.
#if UINTPTR_MAX == UINT64_MAX
using SlotBits = uint64_t;
constexpr SlotBits slot_bits(uint64_t bits) { return bits; }
inline bool same_bits(uint64_t bits, SlotBits expected) { return bits == expected; }
#else
using SlotBits = uint32_t;
constexpr SlotBits slot_bits(uint64_t bits) { return static_cast<uint32_t>(bits >> 32); }
inline bool same_bits(uint64_t bits, SlotBits expected) {
  return ((static_cast<uint32_t>(bits >> 32) ^ expected) | static_cast<uint32_t>(bits)) == 0;
}
#endif

}  // namespace gyrix
