// One question to the message filter as the host asks it, and the environment variables
// that the filter consulted to answer it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "library.h"
#include "platform.h"

namespace harness {

// USR_MSGFILTER(MSGID, SUBID): two texts, each an address and a length.
using MessageFilter = int32_t(GYRIX_CALL*)(const char*, int32_t, const char*, int32_t);

// The library's filter, or a null pointer when it does not export one.
MessageFilter resolve_message_filter(const Library& library);

struct FilterAnswer {
  int32_t logical;                     // -1 show, 0 suppress; anything else is a fault
  std::vector<std::string> consulted;  // variable names passed to QAV_GETENV, in order
};

// Asks `filter` about the message; the journal tells which variables it looked up.
FilterAnswer ask_filter(MessageFilter filter, std::string_view msgid, std::string_view subid);

// Prints the question, the answer and each consulted variable with its value now.
// False when the answer is no logical.
bool print_filter_answer(std::FILE* out, std::string_view msgid, std::string_view subid,
                         const FilterAnswer& answer);

}  // namespace harness
