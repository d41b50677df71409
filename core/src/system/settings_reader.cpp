#include "quillo/core/system/settings_reader.h"

#include "quillo/core/system/ax.h"
#include "settings_items.h"

namespace quillo::core {
namespace {

using platform::AXElement;

// Commands for the found items that carry a reference, hinted by the nearest heading above them.
std::vector<Command> commandsFor(const std::vector<settings::FoundItem>& items, std::string_view prefix,
                                 const std::string& windowTitle) {
  std::vector<Command> commands;
  const std::string* heading = nullptr;
  for (const settings::FoundItem& item : items) {
    if (!item.ref) {
      heading = &item.label;
      continue;
    }
    std::string hint = heading ? *heading + " > " + item.label : item.label;
    commands.emplace_back(std::string(prefix) + std::to_string(commands.size()), item.label,
                          Command::Kind::settingRow, std::move(hint), windowTitle, "",
                          target::SettingsRow{*item.ref});
  }
  return commands;
}

}  // namespace

SettingsReader::SettingsReader(platform::Accessibility& accessibility, Options options)
    : accessibility_(accessibility), options_(options) {}

std::optional<AXElement> SettingsReader::window(platform::ProcessID pid) const {
  accessibility_.setMessagingTimeout(options_.messagingTimeout);
  const auto application = accessibility_.applicationElement(pid);
  if (!application) return std::nullopt;
  const AX ax(accessibility_);
  if (auto focused = ax.element(*application, "AXFocusedWindow")) return focused;
  if (auto main = ax.element(*application, "AXMainWindow")) return main;
  const auto windows = ax.elements(*application, "AXWindows");
  if (windows.empty()) return std::nullopt;
  return windows.front();
}

std::optional<std::string> SettingsReader::windowTitle(platform::ProcessID pid) const {
  const auto found = window(pid);
  if (!found) return std::nullopt;
  return AX(accessibility_).string(*found, "AXTitle");
}

std::optional<std::int64_t> SettingsReader::windowToken(platform::ProcessID pid) const {
  const auto found = window(pid);
  if (!found) return std::nullopt;
  return static_cast<std::int64_t>(found->hash());
}

std::optional<SettingsPane> SettingsReader::openPane(platform::ProcessID pid) const {
  const auto found = window(pid);
  if (!found) return std::nullopt;
  const AX ax(accessibility_);
  const std::string title = ax.string(*found, "AXTitle").value_or("");
  const settings::WindowParts parts = settings::split(ax, *found);
  return SettingsPane{title,
                      commandsFor(settings::collect(ax, parts.pane, options_.labelLimit), "row.", title)};
}

std::optional<SettingsSidebar> SettingsReader::sidebar(platform::ProcessID pid) const {
  const auto found = window(pid);
  if (!found) return std::nullopt;
  const AX ax(accessibility_);
  const std::string title = ax.string(*found, "AXTitle").value_or("");
  const settings::WindowParts parts = settings::split(ax, *found);
  return SettingsSidebar{
      static_cast<std::int64_t>(found->hash()), title,
      commandsFor(settings::collect(ax, parts.sidebar, options_.labelLimit), "section.", title)};
}

}  // namespace quillo::core
