#include "diagnosis.h"

#include <fmt/format.h>

#include <nlohmann/json.hpp>

namespace quillo::ui {

using platform::desktop::FacilityStatus;

std::string diagnosisText(const std::vector<FacilityStatus>& facilities) {
  std::string text;
  for (const FacilityStatus& facility : facilities) {
    text += fmt::format("{}: {}\n", facility.facility, platform::desktop::stateName(facility.state));
    if (!facility.detail.empty()) text += fmt::format("  {}\n", facility.detail);
    if (!facility.fix.empty()) text += fmt::format("  To fix: {}\n", facility.fix);
  }
  return text;
}

std::string diagnosisJson(const std::vector<FacilityStatus>& facilities) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const FacilityStatus& facility : facilities) {
    list.push_back({{"facility", facility.facility},
                    {"state", platform::desktop::stateName(facility.state)},
                    {"detail", facility.detail},
                    {"fix", facility.fix.empty() ? nlohmann::ordered_json(nullptr)
                                                 : nlohmann::ordered_json(facility.fix)}});
  }
  return nlohmann::ordered_json{{"facilities", std::move(list)}}.dump(
             2, ' ', false, nlohmann::json::error_handler_t::replace) +
         "\n";
}

}  // namespace quillo::ui
