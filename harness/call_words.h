// Calls a routine of the host's calling convention with a run-time number of words.
#pragma once

#include <array>
#include <cstddef>
#include <utility>

#include "word_routine.h"

namespace harness {

inline constexpr std::size_t kMaxWords = 16;

namespace detail {

template <std::size_t... Position>
void call_with(void* routine, gyrix::Word const* words, std::index_sequence<Position...>) {
  using Routine = gyrix::WordRoutine<sizeof...(Position)>;
  reinterpret_cast<Routine>(routine)(words[Position]...);
}

template <std::size_t... Count>
constexpr auto make_callers(std::index_sequence<Count...>) {
  using Caller = void (*)(void*, gyrix::Word const*);
  return std::array<Caller, sizeof...(Count)>{[](void* routine, gyrix::Word const* words) {
    call_with(routine, words, std::make_index_sequence<Count>{});
  }...};
}

}  // namespace detail

// Calls `routine`, a routine of `count` words (at most kMaxWords), with words[0 .. count).
inline void call_words(void* routine, std::size_t count, gyrix::Word const* words) {
  static constexpr auto callers = detail::make_callers(std::make_index_sequence<kMaxWords + 1>{});
  callers.at(count)(routine, words);
}

}  // namespace harness
