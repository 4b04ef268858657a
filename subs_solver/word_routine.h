// A routine of the host's calling convention that takes a fixed number of argument
// words, each an address: the entry points, the element routines.
#pragma once

#include <cstddef>
#include <utility>

#include "platform.h"

namespace gyrix {

using Word = void*;

namespace detail {
template <std::size_t>
using AnyWord = Word;
template <class Positions>
struct WordRoutineOf;
template <std::size_t... Position>
struct WordRoutineOf<std::index_sequence<Position...>> {
  // The function type: GCC keeps the calling convention there, not on a pointer type.
  using type = void GYRIX_CALL(AnyWord<Position>...);
};
}  // namespace detail

// A pointer to a routine of `Words` argument words.
template <std::size_t Words>
using WordRoutine = typename detail::WordRoutineOf<std::make_index_sequence<Words>>::type*;

}  // namespace gyrix
