// The library's two kinds of message to the host: a fatal report, which ends the run,
// and an information message. Both pass the whole buffer with its declared length.
#pragma once

#include "fixed_text.h"

namespace gyrix {

// ERRMES with error flag true, message id 0 and end flag "STOP". Should ERRMES return,
// so does this, and the caller returns to the host at once.
void report_fatal(const char* message, int32_t length);

// USRMES with message flag true, message id 0 and type "INFO".
void report_info(const char* message, int32_t length);

template <std::size_t N>
void report_fatal(const FixedText<N>& message) {
  report_fatal(message.data(), message.kLength);
}

template <std::size_t N>
void report_info(const FixedText<N>& message) {
  report_info(message.data(), message.kLength);
}

}  // namespace gyrix
