// The launcher panel's keys, connected to the model of the content the panel shows.
#include "quillo/app/clipboard/clipboard_keys.h"
#include "quillo/app/clipboard/file_copies.h"
#include "quillo/app/composition/application_components.h"

namespace quillo::app {
namespace {

using Content = LauncherPresentation::Content;

std::optional<base::Uuid> clipboardEntryOf(const core::ResultRow& row) {
  const auto* entry = std::get_if<core::target::Clipboard>(&row.command.target);
  if (!entry) return std::nullopt;
  return entry->id;
}

// A file that is gone since the search listed it, or that cannot be looked at, is not copied.
bool exists(const platform::FileSystem& files, const std::string& path) {
  try {
    return files.status(path).has_value();
  } catch (const platform::FileSystemError&) {
    return false;
  }
}

}  // namespace

void ApplicationComponents::connectPanel(LauncherPanelCallbacks& callbacks) {
  clipboardModel_.start(options_.clipboardDatabase, true);
  if (options_.commandIndex) searchModel_->refreshCommands(options_.commandIndex);
  callbacks.onEmptyFieldBackspace = [this] { return emptyFieldBackspace(); };
  callbacks.onCopySelectedClipboard = [this] { return copySelectedClipboard(); };
  callbacks.onCopySelectedFile = [this] { return copySelectedFile(false); };
  callbacks.onCopySelectedFilePath = [this] { return copySelectedFile(true); };
  callbacks.onClipboardKey = [this](const KeyEvent& event) { return clipboardKey(event); };
  callbacks.onFileReturn = [this] { return runSelectedFile(false); };
  callbacks.onShowFileInFinder = [this] { return runSelectedFile(true); };
  callbacks.onPreviewMove = [this](int delta) {
    if (!showing(Content::launcher)) return false;
    searchModel_->moveSelection(delta);
    return true;
  };
  callbacks.onPreviewRun = [this] { return runPreviewed(); };
}

bool ApplicationComponents::showing(Content content) const {
  return shown_ == content;
}

std::optional<core::ResultRow> ApplicationComponents::selectedRow() const {
  return searchModel_->selectedRow();
}

std::optional<core::ResultRow> ApplicationComponents::selectedFile() const {
  auto row = selectedRow();
  if (!row || !row->command.isFileResult()) return std::nullopt;
  return row;
}

bool ApplicationComponents::emptyFieldBackspace() {
  return showing(Content::launcher) && searchModel_->goBackAScope();
}

bool ApplicationComponents::clipboardKey(const KeyEvent& event) {
  if (!showing(Content::clipboard)) return false;
  // Inside Quillo's windows Ctrl plays Command except on the Mac, as the panel's routing reads it.
  const auto key = app::clipboardKey(event, !seams_.system.isMacOS());
  return key && applyClipboardKey(clipboardModel_, *key);
}

bool ApplicationComponents::copySelectedClipboard() {
  if (showing(Content::clipboard)) {
    if (!clipboardModel_.hasChoice()) return false;
    clipboardModel_.perform(ClipboardAction::copy);
    return true;
  }
  const auto row = selectedRow();
  const auto entry = row && showing(Content::launcher) ? clipboardEntryOf(*row) : std::nullopt;
  if (!entry) return false;
  clipboardModel_.copy(*entry, [this](std::optional<std::string> failure) {
    if (failure) searchModel_->showClipboardActionError(std::move(failure));
  });
  return true;
}

bool ApplicationComponents::copySelectedFile(bool pathOnly) {
  const auto row = showing(Content::launcher) ? selectedFile() : std::nullopt;
  const auto* file = row ? std::get_if<core::target::File>(&row->command.target) : nullptr;
  const auto path = file ? file->url.filePath() : std::nullopt;
  if (!path || !exists(seams_.files, *path)) return false;
  seams_.pasteboard.write(pathOnly ? pathCopy(*path) : fileCopy(file->url));
  telemetry_.actionInvoked(Feature::fileSearch, pathOnly ? Interaction::copyPath : Interaction::copy);
  return true;
}

bool ApplicationComponents::runSelectedFile(bool alternate) {
  const auto file = showing(Content::launcher) ? selectedFile() : std::nullopt;
  if (file) runRow(*file, alternate);
  return file.has_value();
}

bool ApplicationComponents::runPreviewed() {
  const auto row = showing(Content::launcher) ? selectedRow() : std::nullopt;
  if (row) searchModel_->run(*row, false);
  return row.has_value();
}

void ApplicationComponents::pasteClipboardRow(const core::ResultRow& row) {
  const auto entry = clipboardEntryOf(row);
  if (!entry) return;
  clipboardModel_.paste(*entry, pasteTarget(), [this](std::optional<std::string> message) {
    // Shown in the launcher's status line while the panel stays up to show it.
    if (message) searchModel_->showClipboardActionError(std::move(message));
  });
}

}  // namespace quillo::app
