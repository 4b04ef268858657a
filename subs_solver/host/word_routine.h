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
struct WordFunctionOf;
template <std::size_t... Position>
struct WordFunctionOf<std::index_sequence<Position...>> {
  using type = void GYRIX_CALL(WordAt<Position>...);
};

// The function type, with which a routine can be declared, and its pointer.
template <std::size_t Words>
using WordFunction = typename WordFunctionOf<std::make_index_sequence<Words>>::type;
template <std::size_t Words>
using WordRoutine = WordFunction<Words>*;

}  // namespace gyrix
