// What each stand-in element routine does (elemlib_routines.cpp, written from the
// contract table): journal its call.
#pragma once

#include <cstddef>

// Journals a call of the element routine `routine` with `word_count` argument words;
// `par_word` is the position of the PAR address (1 for the first), the one word an
// element routine may be relied on to read.
void record_call(const char* routine, const void* const* words, std::size_t word_count,
                 std::size_t par_word);
