// The texts of the start-up: the banner and the report of a failed installation.
#pragma once

#include <string_view>

namespace gyrix::texts {

inline constexpr std::string_view kBannerVariable = "QAV_MOVRA_NAME";
inline constexpr std::string_view kBannerPrefix = "Movra/Driveline ";
inline constexpr std::string_view kInstallFailed =
    "Movra/Driveline Init:Problem setting handlers for Movra/Tire";

}  // namespace gyrix::texts
