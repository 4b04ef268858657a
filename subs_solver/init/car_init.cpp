// The start-up hook: the banner with the value of QAV_MOVRA_NAME, then the installation
// of the database library's search routine as the tire library's handler.
#include <cstdint>
#include <cstring>

#include "fixed_text.h"
#include "host/host_services.h"
#include "host/messages.h"
#include "host/tire_database.h"
#include "init/init_texts.h"

namespace {

constexpr int32_t kValueLength = 80;
using Message = FixedText<128>;

}  // namespace

extern "C" {

int32_t GYRIX_CALL TK_GYRX_TIRINIT(void) {
  // With the import declared dllimport on Windows, this is db_search's own entry
  // address in propdb, not a stub inside this library.
  return stiHanSetDba(&db_search);
}

void GYRIX_CALL CAR_INIT(void) {
  namespace texts = gyrix::texts;
  // Blanks first: a conforming lookup writes all 80 characters, but one that writes
  // fewer must not put whatever the stack held into the banner.
  char value[kValueLength];
  std::memset(value, ' ', sizeof value);
  QAV_GETENV(texts::kBannerVariable.data(), static_cast<int32_t>(texts::kBannerVariable.size()),
             value, kValueLength);

  // The whole value, trailing blanks and all, in characters 17 to 96.
  Message message;
  message.put(0, texts::kBannerPrefix);
  message.put(texts::kBannerPrefix.size(), std::string_view(value, kValueLength));
  gyrix::report_info(message);

  if (TK_GYRX_TIRINIT() == 0) return;
  // The status is not part of the report.
  message.assign(texts::kInstallFailed.data(), static_cast<int32_t>(texts::kInstallFailed.size()));
  gyrix::report_fatal(message);
}

}  // extern "C"
