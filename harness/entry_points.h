// The library's entry points as the host knows them: name, argument words, and for the
// routing ones which word carries PAR. The host resolves each by its exported name.
#pragma once

#include <array>
#include <string_view>

namespace host {

inline constexpr int kNoPar = -1;

struct EntryPoint {
  std::string_view name;
  int words;     // argument words
  int par_word;  // position of the PAR address, or kNoPar
};

inline constexpr std::array<EntryPoint, 25> kUserSubroutines{{
    {"CONSUB", 2, 0},       {"DIFSUB", 7, 2},       {"FIESUB", 11, 2},      {"REQSUB", 6, 2},
    {"SFOSUB", 7, 2},       {"VARSUB", 7, 2},       {"BRASUB", 7, kNoPar},  {"COUSUB", 8, kNoPar},
    {"COUXX", 8, kNoPar},   {"COUXX2", 8, kNoPar},  {"CURSUB", 7, kNoPar},  {"DMPSUB", 8, kNoPar},
    {"GFOSUB", 7, kNoPar},  {"GSESUB", 13, kNoPar}, {"MFOSUB", 12, kNoPar}, {"MOTSUB", 7, kNoPar},
    {"SENSUB", 6, kNoPar},  {"STRSUB", 7, kNoPar},  {"THRSUB", 7, kNoPar},  {"TIRSUB", 16, kNoPar},
    {"UCOSUB", 10, kNoPar}, {"VFOSUB", 7, kNoPar},  {"VTOSUB", 7, kNoPar},  {"CNFSUB", 15, kNoPar},
    {"CFFSUB", 13, kNoPar},
}};

// The entry point of that name, or a null pointer.
inline const EntryPoint* find_user_subroutine(std::string_view name) {
  for (const EntryPoint& entry : kUserSubroutines) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

}  // namespace host
