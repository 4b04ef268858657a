// The demo's session, built into gyrix-host from examples/demo.session, so that the demo
// and its example are one source.
#pragma once

#include <string_view>

namespace harness {

extern const std::string_view kDemoSessionName;
extern const std::string_view kDemoSession;

}  // namespace harness
