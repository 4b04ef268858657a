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

// GYRIX_DEFINE_WORD_ROUTINE(NAME, WORDS, HANDLER) defines the C routine NAME of WORDS
// argument words in the host's calling convention, which hands its words to HANDLER
// (HANDLER(words...)). C++ writes a function of n parameters only by listing them, or in
// a template from a pack: so the definition is a friend of a class template instantiated
// for WORDS, and defines the C routine NAME declared before it, whose decorated name the
// compiler spells. Such a friend is inline: "used" has it compiled, and NAME##_address,
// never emitted, has it instantiated. Being inline, it is a weak symbol on Linux and a
// COMDAT one on Windows: a definition like any other to the loader and the linker.
#define GYRIX_DEFINE_WORD_ROUTINE(name, words, handler)                          \
  extern "C" gyrix::WordFunction<words> name;                                    \
  template <class>                                                               \
  struct name##_definition;                                                      \
  template <std::size_t... Position>                                             \
  struct name##_definition<std::index_sequence<Position...>> {                   \
    [[gnu::used]] friend void GYRIX_CALL name(gyrix::WordAt<Position>... word) { \
      handler(word...);                                                          \
    }                                                                            \
  };                                                                             \
  template struct name##_definition<std::make_index_sequence<words>>;            \
  inline constexpr gyrix::WordRoutine<words> name##_address = &name;
