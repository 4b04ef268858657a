// The library's entry points as the host knows them: name, argument words, and for the
// routing ones which word carries PAR (0 for the first). The host resolves each by its
// exported name.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace host {

inline constexpr int kNoPar = -1;

struct EntryPoint {
  std::string_view name;
  int words;     // argument words
  int par_word;  // position of the PAR address, or kNoPar
};

// The dispatchers and the entry points without routines of the binary contract
// (entry_points.def), in its order.
inline constexpr std::size_t kUserSubroutineCount = 0
#define DISPATCHER(name, words, par_word, report_name) +1
#define UNSUPPLIED(name, words, report_name) +1
#include "expand_entry_points.h"
    ;

inline constexpr std::array<EntryPoint, kUserSubroutineCount> kUserSubroutines{{
#define DISPATCHER(name, words, par_word, report_name) {#name, words, par_word - 1},
#define UNSUPPLIED(name, words, report_name) {#name, words, kNoPar},
#include "expand_entry_points.h"
}};

// The entry point of that name, or a null pointer.
inline const EntryPoint* find_user_subroutine(std::string_view name) {
  for (const EntryPoint& entry : kUserSubroutines) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

}  // namespace host
