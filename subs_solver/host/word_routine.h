// The type of a routine that takes a fixed number of argument words in the host's
// calling convention: the entry points, the element routines.
#pragma once

#include <cstddef>
#include <utility>

#include "platform.h"

using Word = void*;

namespace gyrix {

template <std::size_t>
using WordAt = Word;

template <class Positions>
struct WordRoutineOf;
template <std::size_t... Position>
struct WordRoutineOf<std::index_sequence<Position...>> {
  using type = void(GYRIX_CALL*)(WordAt<Position>...);
};

template <std::size_t Words>
using WordRoutine = typename WordRoutineOf<std::make_index_sequence<Words>>::type;

}  // namespace gyrix
