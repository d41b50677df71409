#include "quillo/core/commands/command.h"

#include "quillo/base/enum_names.h"

namespace quillo::core {
namespace {

constexpr base::EnumNames<Command::Kind, 10> kKindNames({{
    {Command::Kind::app, "Application"},
    {Command::Kind::setting, "System Settings"},
    {Command::Kind::action, "Action"},
    {Command::Kind::menuItem, "Menu"},
    {Command::Kind::webSearch, "Web Search"},
    {Command::Kind::capability, "App Action"},
    {Command::Kind::settingRow, "Setting"},
    {Command::Kind::file, "File"},
    {Command::Kind::folder, "Folder"},
    {Command::Kind::clipboard, "Clipboard"},
}});

}  // namespace

Command::Command(std::string id, std::string title, Kind kind, std::string hint, std::string detail,
                 std::string shortcut, Target target, OptionalFileDetail fileDetail)
    : id(std::move(id)),
      title(std::move(title)),
      kind(kind),
      hint(std::move(hint)),
      detail(std::move(detail)),
      fileDetail(std::move(fileDetail)),
      shortcut(std::move(shortcut)),
      target(std::move(target)) {}

const ActionDefinition* Command::definition() const {
  const auto* definition = std::get_if<target::Definition>(&target);
  return definition ? &definition->definition() : nullptr;
}

void hashInto(base::Hasher& h, const Command& c) {
  h.addAll(c.id, c.title, displayName(c.kind), c.hint, c.detail, c.fileDetail, c.shortcut, c.target);
}

std::string_view displayName(Command::Kind kind) {
  return kKindNames.name(kind);
}
std::optional<Command::Kind> kindFromDisplayName(std::string_view name) {
  return kKindNames.value(name);
}

}  // namespace quillo::core
