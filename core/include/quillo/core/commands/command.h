#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "quillo/base/hashing.h"
#include "quillo/base/url.h"
#include "quillo/base/uuid.h"
#include "quillo/core/actions/action_definition.h"
#include "quillo/core/system/menu_item_ref.h"
#include "quillo/core/system/settings_row_ref.h"

namespace quillo::core {

// The cases of Command::Target: what running a command acts on.
namespace target {

struct App {
  base::Url bundle;  // file URL of an application bundle
  bool operator==(const App&) const = default;
  friend void hashInto(base::Hasher& h, const App& t) { h.add(t.bundle); }
};
struct OpenUrl {
  base::Url url;
  bool operator==(const OpenUrl&) const = default;
  friend void hashInto(base::Hasher& h, const OpenUrl& t) { h.add(t.url); }
};
struct Shell {
  std::string commandLine;
  bool operator==(const Shell&) const = default;
  friend void hashInto(base::Hasher& h, const Shell& t) { h.add(t.commandLine); }
};
struct MenuItem {
  MenuItemRef item;
  bool operator==(const MenuItem&) const = default;
  friend void hashInto(base::Hasher& h, const MenuItem& t) { h.add(t.item); }
};
struct SettingsRow {
  SettingsRowRef row;
  bool operator==(const SettingsRow&) const = default;
  friend void hashInto(base::Hasher& h, const SettingsRow& t) { h.add(t.row); }
};
struct File {
  base::Url url;  // file URL of a file or folder
  bool operator==(const File&) const = default;
  friend void hashInto(base::Hasher& h, const File& t) { h.add(t.url); }
};
// A parameterised action, held apart: its definition is by far the largest case (a scriptable
// application's capability, some 330 bytes), and every command of the index would carry that
// room in its target when only a few dozen have one. Copies share it; it never changes.
class Definition {
 public:
  Definition(ActionDefinition definition)
      : definition_(std::make_shared<const ActionDefinition>(std::move(definition))) {}
  // Copied, never emptied by a move: a command is still whole after its target was moved from.
  Definition(const Definition&) = default;
  Definition& operator=(const Definition&) = default;

  const ActionDefinition& definition() const { return *definition_; }

  bool operator==(const Definition& other) const { return *definition_ == *other.definition_; }
  friend void hashInto(base::Hasher& h, const Definition& t) { h.add(*t.definition_); }

 private:
  std::shared_ptr<const ActionDefinition> definition_;
};
struct Clipboard {
  base::Uuid id;            // the clipboard history entry
  std::string sourceAppID;  // bundle identifier of the application it was copied from
  bool operator==(const Clipboard&) const = default;
  friend void hashInto(base::Hasher& h, const Clipboard& t) { h.addAll(t.id, t.sourceAppID); }
};
struct StopKeepingAwake {
  bool operator==(const StopKeepingAwake&) const = default;
  friend void hashInto(base::Hasher&, const StopKeepingAwake&) {}
};
struct LockScreen {
  bool operator==(const LockScreen&) const = default;
  friend void hashInto(base::Hasher&, const LockScreen&) {}
};

}  // namespace target

// Everything the launcher can show and run: an application, an action, a settings pane or row,
// a menu command, a web search, a scriptable application's command, a file or folder, or a
// clipboard history item. A plain value.
struct Command {
  // What sort of thing a command is. Each case has a display name, also used when a kind is
  // hashed or named to the ranking service.
  enum class Kind {
    app,
    setting,
    action,
    menuItem,
    webSearch,
    capability,
    settingRow,
    file,
    folder,
    clipboard
  };

  using Target = std::variant<target::App, target::OpenUrl, target::Shell, target::MenuItem,
                              target::SettingsRow, target::File, target::Definition, target::Clipboard,
                              target::StopKeepingAwake, target::LockScreen>;

  // Display strings of a file or folder, already formatted.
  struct FileDetail {
    std::string folder;
    std::string size;  // empty for folders
    std::string day;   // empty for folders
    bool operator==(const FileDetail&) const = default;
    friend void hashInto(base::Hasher& h, const FileDetail& d) { h.addAll(d.folder, d.size, d.day); }
  };
  // A file's details, held apart: only file and folder results have them, and every other
  // command of the index would carry their room (96 bytes). Reads as std::optional<FileDetail>
  // does; copies share the details, which never change.
  class OptionalFileDetail {
   public:
    OptionalFileDetail() = default;
    OptionalFileDetail(std::nullopt_t) {}
    OptionalFileDetail(FileDetail detail) : detail_(std::make_shared<const FileDetail>(std::move(detail))) {}
    OptionalFileDetail(std::optional<FileDetail> detail) {
      if (detail) detail_ = std::make_shared<const FileDetail>(std::move(*detail));
    }

    bool has_value() const { return detail_ != nullptr; }
    explicit operator bool() const { return has_value(); }
    const FileDetail& operator*() const { return *detail_; }
    const FileDetail* operator->() const { return detail_.get(); }

    bool operator==(const OptionalFileDetail& other) const {
      return detail_ == other.detail_ || (detail_ && other.detail_ && *detail_ == *other.detail_);
    }
    // As an optional hashes: presence, then the details.
    friend void hashInto(base::Hasher& h, const OptionalFileDetail& d) {
      h.add(std::size_t{d.has_value() ? 1U : 0U});
      if (d) h.add(*d);
    }

   private:
    std::shared_ptr<const FileDetail> detail_;
  };

  // Stable identity across searches: a source prefix ("app.", "action.", ...) and a key.
  std::string id;
  // What the row shows and what local matching runs on.
  std::string title;
  Kind kind = Kind::action;
  // Descriptive words for the ranking service; never matched locally.
  std::string hint;
  // The secondary line under the title.
  std::string detail;
  OptionalFileDetail fileDetail;
  // Keyboard shortcut text shown beside the row.
  std::string shortcut;
  Target target;

  Command(std::string id, std::string title, Kind kind, std::string hint, std::string detail,
          std::string shortcut, Target target, OptionalFileDetail fileDetail = {});

  bool isFileResult() const { return kind == Kind::file || kind == Kind::folder; }
  // The parameterised action this command runs, when its target is one.
  const ActionDefinition* definition() const;

  bool operator==(const Command&) const = default;
  friend void hashInto(base::Hasher& h, const Command& c);
};

std::string_view displayName(Command::Kind kind);
// Exactly one of the ten display names, case-sensitive.
std::optional<Command::Kind> kindFromDisplayName(std::string_view name);

// A command with the score the local index gave it; higher is better.
struct LocalHit {
  Command command;
  int score = 0;
  bool operator==(const LocalHit&) const = default;
};

}  // namespace quillo::core

template <>
struct std::hash<quillo::core::Command> {
  std::size_t operator()(const quillo::core::Command& command) const { return quillo::base::hashOf(command); }
};
