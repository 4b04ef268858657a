#include "host/messages.h"

#include "host/host_services.h"

namespace gyrix {
namespace {

constexpr int32_t kTrue = -1;
constexpr int32_t kMessageId = 0;
constexpr std::string_view kEndFlag = "STOP";
constexpr std::string_view kInfoType = "INFO";

}  // namespace

void report_fatal(const char* message, int32_t length) {
  ERRMES(&kTrue, message, length, &kMessageId, kEndFlag.data(),
         static_cast<int32_t>(kEndFlag.size()));
}

void report_info(const char* message, int32_t length) {
  USRMES(&kTrue, message, length, &kMessageId, kInfoType.data(),
         static_cast<int32_t>(kInfoType.size()));
}

}  // namespace gyrix
