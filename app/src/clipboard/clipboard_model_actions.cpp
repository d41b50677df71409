// The actions of the history window on its selection: paste, copy, preview, pin, rename, clean
// text, save, select all, delete and clear.
#include <algorithm>

#include "payload_images.h"
#include "quillo/app/clipboard/clipboard_model.h"
#include "quillo/app/clipboard/pasteboard_types.h"
#include "quillo/clipboard/clipboard_error.h"
#include "quillo/core/system/platform_texts.h"

namespace quillo::app {
namespace {

using clipboard::ClipboardComposition;
using clipboard::ClipboardEntry;
using clipboard::ClipboardKind;
using clipboard::ClipboardPayload;
using clipboard::ClipboardStore;

std::string imageExtension(std::string_view type) {
  if (type == PasteboardTypes::png) return "png";
  if (type == PasteboardTypes::jpeg) return "jpeg";
  if (type == PasteboardTypes::tiff) return "tiff";
  if (type == PasteboardTypes::heic) return "heic";
  return "png";
}

// "Clipboard image.png", then "Clipboard image 2.png", ...: the first name nothing in the folder
// has yet, counting on from `number`, so that a save never replaces a file already there.
std::filesystem::path freeName(const platform::FileSystem& files, const std::filesystem::path& folder,
                               const std::string& stem, const std::string& extension, std::size_t& number) {
  for (;; ++number) {
    std::filesystem::path name =
        folder /
        (number <= 1 ? stem + "." + extension : stem + " " + std::to_string(number) + "." + extension);
    if (!files.status(name, false)) return name;
  }
}

// Saves the bytes under the first free name (see freeName). The file appears whole or not at
// all: a file manager never shows it half written.
void saveFile(platform::FileSystem& files, const std::filesystem::path& folder, const std::string& stem,
              const std::string& extension, std::size_t& number, std::string_view bytes) {
  std::filesystem::path file = folder / (stem + "." + extension);
  try {
    file = freeName(files, folder, stem, extension, number);
    files.replaceFile(file, bytes, {.fileMode = 0644, .folderMode = 0755});
  } catch (const platform::FileSystemError&) {
    throw std::runtime_error("Could not save “" + file.filename().string() + "”.");
  }
}

}  // namespace

void ClipboardModel::perform(ClipboardAction action) {
  if (!storeOrReport()) return;
  switch (action) {
    case ClipboardAction::paste:
      return paste(ClipboardComposition::TextStyle::original);
    case ClipboardAction::pastePlain:
      return paste(ClipboardComposition::TextStyle::plain);
    case ClipboardAction::copy:
      return copy(ClipboardComposition::TextStyle::original);
    case ClipboardAction::preview:
      togglePreview();
      return changed();
    case ClipboardAction::pin:
      return togglePin();
    case ClipboardAction::rename:
      return startRename();
    case ClipboardAction::cleanText:
      return toggleCleanText();
    case ClipboardAction::saveImage:
      if (onChooseFolder) onChooseFolder();
      return;
    case ClipboardAction::selectAll:
      state_.selection.clear();
      for (const ClipboardEntry& entry : state_.entries)
        state_.selection.push_back(entry.id);
      return changed();
    case ClipboardAction::remove:
      return remove();
  }
}

void ClipboardModel::performPrimary() {
  const auto style = state_.cleanPreview ? ClipboardComposition::TextStyle::clean
                                         : ClipboardComposition::TextStyle::original;
  if (state_.mode == Mode::paste) return paste(style);
  copy(style);
}

void ClipboardModel::combineThen(std::vector<base::Uuid> ids, ClipboardComposition::TextStyle style,
                                 std::function<void(clipboard::ClipboardPayload)> then,
                                 std::function<void(std::string)> failed) {
  const auto store = storeOrReport();
  if (!store || state_.isBusy || ids.empty()) return;
  state_.isBusy = true;
  changed();
  action_.start(
      [store, ids = std::move(ids), style, separator = settings_.values().separator](std::stop_token) {
        std::vector<ClipboardComposition::Item> items;
        std::vector<ClipboardKind> kinds;
        for (const base::Uuid& id : ids) {
          const auto entry = store->entry(id);
          if (!entry) throw clipboard::ClipboardError(clipboard::ClipboardError::Code::missingItem);
          items.push_back({entry->kind, store->payload(id)});
          kinds.push_back(entry->kind);
        }
        // Images among other kinds are left out, as the window says.
        if (ClipboardComposition::leavesOutImages(kinds))
          std::erase_if(items, [](const auto& item) { return item.kind == ClipboardKind::image; });
        return ClipboardComposition::combine(items, separator, style);
      },
      [this, then = std::move(then)](ClipboardPayload payload) {
        state_.isBusy = false;
        then(std::move(payload));
      },
      [this, failed = std::move(failed)](const std::exception_ptr& error) {
        state_.isBusy = false;
        if (!failed) return showError(error);
        if (auto message = errorMessage(error)) failed(std::move(*message));
        changed();
      });
}

void ClipboardModel::interacted(Interaction interaction) const {
  if (onInteraction) onInteraction(interaction);
}

void ClipboardModel::paste(ClipboardComposition::TextStyle style) {
  combineThen(chosen(), style, [this](const ClipboardPayload& payload) {
    interacted(Interaction::paste);
    state_.isOpen = false;
    state_.cleanPreview.reset();
    paste_.paste(payload, state_.target, dismissal(), [this](std::optional<std::string> message) {
      state_.status = std::move(message);
      changed();
    });
  });
}

void ClipboardModel::paste(const base::Uuid& id, std::optional<platform::FrontApplication> target,
                           std::function<void(std::optional<std::string>)> done) {
  auto shared = std::make_shared<std::function<void(std::optional<std::string>)>>(std::move(done));
  combineThen(
      {id}, ClipboardComposition::TextStyle::original,
      [this, target = std::move(target), shared](const ClipboardPayload& payload) {
        interacted(Interaction::paste);
        paste_.paste(payload, target, dismissal(), [shared](std::optional<std::string> message) {
          if (*shared) (*shared)(std::move(message));
        });
      },
      [shared](std::string message) {
        if (*shared) (*shared)(std::move(message));
      });
}

ClipboardPasteService::Dismiss ClipboardModel::dismissal() const {
  if (onDismiss) return onDismiss;
  return [](const std::function<void(bool)>& answer) { answer(false); };
}

std::optional<std::string> ClipboardModel::copyFailure(const ClipboardPayload& payload) {
  if (paste_.copy(payload)) return std::nullopt;
  if (payload.fileURLs())
    return std::string(core::platformText(core::PlatformText::unavailableFile, services_.system));
  return std::string("Could not copy the selection.");
}

void ClipboardModel::copy(ClipboardComposition::TextStyle style) {
  const auto ids = chosen();
  combineThen(ids, style, [this, ids](const ClipboardPayload& payload) {
    state_.status = copyFailure(payload);
    if (state_.status) return changed();
    interacted(Interaction::copy);
    markCopied(ids);
  });
}

void ClipboardModel::copy(const base::Uuid& id, std::function<void(std::optional<std::string>)> done) {
  auto shared = std::make_shared<std::function<void(std::optional<std::string>)>>(std::move(done));
  combineThen(
      {id}, ClipboardComposition::TextStyle::original,
      [this, id, shared](const ClipboardPayload& payload) {
        auto failure = copyFailure(payload);
        if (!failure) {
          interacted(Interaction::copy);
          markCopied({id});
        }
        if (*shared) (*shared)(std::move(failure));
      },
      [shared](std::string message) {
        if (*shared) (*shared)(std::move(message));
      });
}

void ClipboardModel::markCopied(std::vector<base::Uuid> ids) {
  copiedMark_.cancel();
  state_.copiedIDs = std::unordered_set<base::Uuid>(ids.begin(), ids.end());
  changed();
  copiedMark_ = services_.main.postAfter(options_.copiedMark, [this] {
    state_.copiedIDs.clear();
    changed();
  });
}

void ClipboardModel::togglePreview() {
  state_.isPreviewing = !state_.isPreviewing;
  state_.previewText.reset();
  state_.previewImage.clear();
  state_.previewFileURLs.clear();
  if (!state_.isPreviewing || !state_.focusedID || !store_) return;
  const auto entry = store_->entry(*state_.focusedID);
  if (!entry) return;
  try {
    const ClipboardPayload payload = store_->payload(entry->id);
    if (entry->kind == ClipboardKind::image) {
      if (const auto* image = firstImage(payload)) state_.previewImage = image->data;
    } else if (entry->kind == ClipboardKind::file) {
      state_.previewFileURLs = payload.fileURLs().value_or(std::vector<base::Url>{});
    } else if (!entry->isToken()) {
      // Token-looking text is never shown in plain text.
      state_.previewText = std::string(entry->text);
    }
  } catch (...) {
    showError(std::current_exception());
  }
}

void ClipboardModel::toggleCleanText() {
  if (state_.cleanPreview) {
    state_.cleanPreview.reset();
    return changed();
  }
  combineThen(chosen(), ClipboardComposition::TextStyle::clean, [this](const ClipboardPayload& payload) {
    state_.cleanPreview = payload.plainText().value_or(std::string());
    changed();
  });
}

void ClipboardModel::run(std::function<void(ClipboardStore&)> operation, std::function<void()> after) {
  const auto store = storeOrReport();
  if (!store || state_.isBusy) return;
  state_.isBusy = true;
  changed();
  action_.start([store, operation = std::move(operation)](std::stop_token) { operation(*store); },
                [this, after = std::move(after)] {
                  state_.isBusy = false;
                  if (after) after();
                  refresh();
                },
                [this](const std::exception_ptr& error) {
                  state_.isBusy = false;
                  showError(error);
                  refresh();
                });
}

void ClipboardModel::togglePin() {
  const auto ids = chosen();
  if (ids.empty()) return;
  const bool pin = !selectionIsPinned();
  run([ids, pin, now = services_.clock.now()](ClipboardStore& store) {
    for (const base::Uuid& id : ids)
      store.setPinned(id, pin, now);
  });
}

void ClipboardModel::remove() {
  const auto ids = chosen();
  if (ids.empty()) return;
  run([ids](ClipboardStore& store) { store.remove(ids); },
      [this] {
        state_.selection.clear();
        state_.focusedID.reset();
        state_.rangeAnchor.reset();
      });
}

void ClipboardModel::startRename() {
  if (!state_.focusedID || !storeOrReport()) return;
  const auto entry = store_->entry(*state_.focusedID);
  if (!entry) return;
  state_.isRenaming = true;
  state_.renameID = entry->id;
  state_.renameTitle = entry->title;
  changed();
}

void ClipboardModel::commitRename(std::string_view title) {
  if (!state_.isRenaming || !state_.renameID) return;
  const base::Uuid id = *state_.renameID;
  cancelRename();
  run([id, title = std::string(title)](ClipboardStore& store) { store.rename(id, title); });
}

void ClipboardModel::cancelRename() {
  state_.isRenaming = false;
  state_.renameID.reset();
  state_.renameTitle.clear();
  changed();
}

void ClipboardModel::saveSelection(const std::filesystem::path& folder) {
  const auto ids = chosen();
  if (ids.empty()) return;
  run([ids, folder, &files = services_.files](ClipboardStore& store) {
    std::size_t images = 1;
    std::size_t texts = 1;
    for (const base::Uuid& id : ids) {
      const auto entry = store.entry(id);
      if (!entry) continue;
      if (entry->kind == ClipboardKind::image) {
        const ClipboardPayload payload = store.payload(id);
        if (const auto* image = firstImage(payload))
          saveFile(files, folder, "Clipboard image", imageExtension(image->type), images,
                   std::string_view(reinterpret_cast<const char*>(image->data.data()), image->data.size()));
      } else if (entry->kind != ClipboardKind::file) {
        saveFile(files, folder, "Clipboard text", "txt", texts, entry->text);
      }
    }
  });
}

void ClipboardModel::clearHistory(bool includingPinned) {
  run([includingPinned](ClipboardStore& store) { store.clear(includingPinned); },
      [this] {
        state_.selection.clear();
        state_.focusedID.reset();
        state_.rangeAnchor.reset();
        state_.status = "Clipboard history cleared.";
      });
}

}  // namespace quillo::app
