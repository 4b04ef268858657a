// The host's services as the library calls them. Every argument is passed by address;
// a text is its address followed at once by its length in characters.
#pragma once

#include <cstdint>

#include "platform.h"

extern "C" {

// hostutil: reports `msg`; with error flag true and end flag "STOP" it ends the run.
void GYRIX_CALL ERRMES(const int32_t* flag, const char* msg, int32_t msg_len, const int32_t* id,
                       const char* end, int32_t end_len);

// hostutil: issues `msg` to the user as a message of type `type` ("INFO").
void GYRIX_CALL USRMES(const int32_t* flag, const char* msg, int32_t msg_len, const int32_t* id,
                       const char* type, int32_t type_len);

// elemlib: fills all of `value` with the variable's value, cut or blank-padded;
// blanks when the variable is not set.
void GYRIX_CALL QAV_GETENV(const char* name, int32_t name_len, char* value, int32_t value_len);

}  // extern "C"
