#include "quillo/core/system/menu_reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

#include "quillo/core/system/ax.h"

namespace quillo::core {
namespace {

using platform::AXElement;

// One batched read per item.
constexpr std::array<std::string_view, 4> kItemAttributes{"AXTitle", "AXEnabled", "AXMenuItemCmdChar",
                                                          "AXMenuItemCmdModifiers"};
// Commands lie at most four levels below the menu bar: menu › submenu › submenu › item.
constexpr std::size_t kDeepestSubmenuPath = 3;

std::string joined(const std::vector<std::string>& parts, std::string_view separator) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += separator;
    text += part;
  }
  return text;
}

class Collector {
 public:
  Collector(const AX& ax, std::string_view appID) : ax_(ax), appID_(appID) {}

  // Items of every menu in `menus`, the children of a menu-bar item or of an item with a submenu.
  void collect(const std::vector<AXElement>& menus, std::vector<std::string>& path) {
    for (const AXElement& menu : menus) {
      for (const AXElement& item : ax_.children(menu))
        visit(item, path);
    }
  }

  std::vector<Command> take() { return std::move(commands_); }

 private:
  void visit(const AXElement& item, std::vector<std::string>& path) {
    const AX::Values values = ax_.attributes(item, kItemAttributes);
    if (values.empty()) return;
    const auto title = AX::as<std::string>(values[0]);
    // Separators have no title.
    if (!title || title->empty()) return;
    if (AX::as<bool>(values[1]) == false) return;

    if (const std::vector<AXElement> submenus = ax_.children(item); !submenus.empty()) {
      const bool skipped =
          std::ranges::find(MenuReader::skippedSubmenus, *title) != MenuReader::skippedSubmenus.end();
      if (path.size() < kDeepestSubmenuPath && !skipped) {
        path.push_back(*title);
        collect(submenus, path);
        path.pop_back();
      }
      return;
    }

    const auto modifiers = AX::as<double>(values[3]);
    const auto shortcut = MenuReader::shortcut(
        AX::as<std::string>(values[2]),
        modifiers ? std::optional<int>(static_cast<int>(std::lround(*modifiers))) : std::nullopt);
    std::string detail = joined(path, " \u203A ");
    std::string id = "menu." + std::string(appID_) + "." + detail + "." + *title;
    const int occurrence = ++seen_[id];
    if (occurrence > 1) id += "#" + std::to_string(occurrence);
    std::string hint = joined(path, " > ") + " > " + *title;
    commands_.emplace_back(std::move(id), *title, Command::Kind::menuItem, std::move(hint), std::move(detail),
                           shortcut.value_or(""), target::MenuItem{MenuItemRef{item}});
  }

  const AX& ax_;
  std::string_view appID_;
  std::unordered_map<std::string, int> seen_;
  std::vector<Command> commands_;
};

}  // namespace

MenuReader::MenuReader(platform::Accessibility& accessibility, Options options)
    : accessibility_(accessibility), options_(options) {}

bool MenuReader::hasPermission() const {
  return accessibility_.isTrusted(platform::Accessibility::TrustCheck::silent);
}

bool MenuReader::requestPermission() const {
  return accessibility_.isTrusted(platform::Accessibility::TrustCheck::prompt);
}

std::vector<Command> MenuReader::commands(platform::ProcessID pid, std::string_view appID) const {
  if (!hasPermission()) return {};
  accessibility_.setMessagingTimeout(options_.messagingTimeout);
  const AX ax(accessibility_);
  const auto application = accessibility_.applicationElement(pid);
  if (!application) return {};
  const auto menuBar = ax.element(*application, "AXMenuBar");
  if (!menuBar) return {};

  Collector collector(ax, appID);
  const std::vector<AXElement> menus = ax.children(*menuBar);
  // The first menu is the system menu at the left, the same in every application.
  for (std::size_t index = 1; index < menus.size(); ++index) {
    const auto title = ax.string(menus[index], "AXTitle");
    if (!title || title->empty()) continue;
    std::vector<std::string> path{*title};
    collector.collect(ax.children(menus[index]), path);
  }
  return collector.take();
}

std::optional<std::string> MenuReader::shortcut(std::optional<std::string_view> character,
                                                std::optional<int> modifiers) {
  if (!character || character->empty()) return std::nullopt;
  const int mask = modifiers.value_or(0);
  std::string text;
  if (mask & 4) text += "\u2303";     // ⌃
  if (mask & 2) text += "\u2325";     // ⌥
  if (mask & 1) text += "\u21E7";     // ⇧
  if (!(mask & 8)) text += "\u2318";  // ⌘
  text += *character;
  return text;
}

}  // namespace quillo::core
