#include "quillo/app/clipboard/clipboard_model.h"

#include <algorithm>
#include <fstream>

#include "quillo/app/clipboard/pasteboard_types.h"
#include "quillo/base/errors.h"
#include "quillo/base/xdg.h"
#include "quillo/clipboard/clipboard_error.h"
#include "quillo/clipboard/clipboard_text_recognition.h"
#include "quillo/clipboard/copied_text.h"
#include "quillo/core/system/platform_texts.h"

namespace quillo::app {
namespace {

using clipboard::ClipboardComposition;
using clipboard::ClipboardEntry;
using clipboard::ClipboardKind;
using clipboard::ClipboardPayload;
using clipboard::ClipboardStore;

constexpr std::string_view kNotOpen = "Clipboard history is not open yet.";

struct SearchResult {
  std::vector<ClipboardEntry> entries;
  std::size_t count = 0;
  std::int64_t bytes = 0;
};

const ClipboardPayload::Representation* firstImage(const ClipboardPayload& payload) {
  for (const auto& item : payload.items)
    for (const auto& representation : item)
      if (clipboard::isImageType(representation.type)) return &representation;
  return nullptr;
}

std::string imageExtension(std::string_view type) {
  if (type == PasteboardTypes::png) return "png";
  if (type == PasteboardTypes::jpeg) return "jpeg";
  if (type == PasteboardTypes::tiff) return "tiff";
  if (type == PasteboardTypes::heic) return "heic";
  return "png";
}

void writeFile(const std::filesystem::path& file, const clipboard::Bytes& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("Could not save “" + file.filename().string() + "”.");
}

// "Clipboard image.png", then "Clipboard image 2.png", ... so that several saves never collide.
std::filesystem::path freeName(const std::filesystem::path& folder, const std::string& stem,
                               const std::string& extension, std::size_t number) {
  return folder /
         (number <= 1 ? stem + "." + extension : stem + " " + std::to_string(number) + "." + extension);
}

}  // namespace

ClipboardModel::ClipboardModel(Services services, ClipboardSettings& settings,
                               std::shared_ptr<const clipboard::ClipboardTagger> tagger,
                               ClipboardModelOptions options)
    : services_(services),
      settings_(settings),
      tagger_(std::move(tagger)),
      options_(std::move(options)),
      paste_({services.board, services.keys, services.workspace, services.system}, options_.ownApplicationID),
      opening_(services.pool, services.main),
      search_(services.pool, services.main),
      action_(services.pool, services.main),
      recognition_(services.pool, services.main) {}

ClipboardModel::~ClipboardModel() {
  copiedMark_.cancel();
}

void ClipboardModel::changed() {
  if (onChange) onChange();
}

void ClipboardModel::start(std::optional<std::filesystem::path> file, bool monitorsClipboard) {
  if (store_ || starting_) return;
  starting_ = true;
  const std::filesystem::path location =
      file ? *file
           : ClipboardStore::standardPath(services_.system.environment("XDG_DATA_HOME"),
                                          services_.system.homeFolder());
  opening_.start(
      [location, limits = settings_.limits(), now = services_.clock.now()](std::stop_token) {
        auto store = std::make_shared<ClipboardStore>(location);
        store->prune(limits, now);
        return store;
      },
      [this, monitorsClipboard](std::shared_ptr<ClipboardStore> store) {
        starting_ = false;
        store_ = std::move(store);
        {
          const std::lock_guard lock(launcherMutex_);
          launcherStore_ = store_;
        }
        state_.isReady = true;
        if (monitorsClipboard) {
          monitor_ = std::make_unique<ClipboardMonitor>(
              ClipboardMonitor::Services{services_.board, services_.workspace, services_.main,
                                         services_.clock, services_.pool},
              settings_, store_, tagger_, options_.monitor);
          monitor_->onChange = [this] {
            refresh();
            recogniseImageText();
          };
          monitor_->onStatus = [this](std::optional<std::string> message) {
            state_.status = std::move(message);
            changed();
          };
          monitor_->start();
        }
        refresh();
        recogniseImageText();
      },
      [this](std::exception_ptr error) {
        starting_ = false;
        showError(error);
      });
}

void ClipboardModel::open(Mode mode, std::optional<platform::FrontApplication> target) {
  state_.mode = mode;
  state_.target = std::move(target);
  state_.isOpen = true;
  state_.query.clear();
  state_.filter = clipboard::ClipboardFilter::all;
  state_.limit = 100;
  state_.selection.clear();
  state_.focusedID.reset();
  state_.isPreviewing = false;
  state_.cleanPreview.reset();
  state_.isRenaming = false;
  refresh();
}

void ClipboardModel::close() {
  state_.isOpen = false;
  state_.cleanPreview.reset();
  state_.isPreviewing = false;
  changed();
}

void ClipboardModel::setQuery(std::string query) {
  state_.query = std::move(query);
  refresh();
}

void ClipboardModel::setFilter(clipboard::ClipboardFilter filter) {
  state_.filter = filter;
  refresh();
}

void ClipboardModel::nextFilter() {
  const auto& all = clipboard::kAllClipboardFilters;
  const auto at = std::find(all.begin(), all.end(), state_.filter);
  setFilter(at + 1 == all.end() ? all.front() : *(at + 1));
}

void ClipboardModel::refresh() {
  if (!store_) {
    changed();
    return;
  }
  ++state_.searchRevision;
  state_.isSearching = true;
  search_.start(
      [store = store_, query = state_.query, filter = state_.filter,
       limit = state_.limit](std::stop_token stop) {
        SearchResult result;
        result.entries = store->search(query, filter, limit, stop);
        result.count = store->count();
        result.bytes = store->byteCount();
        return result;
      },
      [this](SearchResult result) {
        state_.entries = std::move(result.entries);
        state_.totalCount = result.count;
        state_.storedBytes = result.bytes;
        state_.isSearching = false;
        if (!state_.focusedID && !state_.entries.empty()) state_.focusedID = state_.entries.front().id;
        changed();
      },
      [this](std::exception_ptr error) {
        state_.isSearching = false;
        showError(error);
      });
  changed();
}

void ClipboardModel::loadMore() {
  if (state_.entries.size() < state_.limit) return;
  state_.limit += 100;
  refresh();
}

void ClipboardModel::focus(const base::Uuid& id) {
  state_.focusedID = id;
  if (state_.isPreviewing) {
    state_.isPreviewing = false;
    togglePreview();
  }
  changed();
}

void ClipboardModel::toggleSelection(const base::Uuid& id) {
  auto& selection = state_.selection;
  if (const auto at = std::find(selection.begin(), selection.end(), id); at != selection.end()) {
    selection.erase(at);
  } else {
    selection.push_back(id);
  }
  state_.focusedID = id;
  state_.cleanPreview.reset();
  changed();
}

std::vector<base::Uuid> ClipboardModel::chosen() const {
  if (!state_.selection.empty()) return state_.selection;
  if (state_.focusedID) return {*state_.focusedID};
  return {};
}

bool ClipboardModel::selectionIsPinned() const {
  const auto ids = chosen();
  if (ids.empty() || !store_) return false;
  return std::all_of(ids.begin(), ids.end(), [&](const base::Uuid& id) {
    const auto entry = store_->entry(id);
    return entry && entry->isPinned;
  });
}

std::string ClipboardModel::title(ClipboardAction action) const {
  return app::title(action, chosen().size(), selectionIsPinned());
}

std::optional<ClipboardPlaceholder> ClipboardModel::placeholder() const {
  if (!state_.isReady) return ClipboardPlaceholder{"Opening history…", ""};
  if (state_.totalCount == 0)
    return ClipboardPlaceholder{"Nothing copied yet",
                                "Copy text, a link, an image, or a file. It appears here."};
  if (state_.entries.empty() && !state_.isSearching)
    return ClipboardPlaceholder{
        "Nothing in your history matches “" + state_.query + "”. Press ⇥ to change the filter.", ""};
  return std::nullopt;
}

std::optional<ClipboardPlaceholder> ClipboardModel::recordingNotice() const {
  if (settings_.values().isEnabled) return std::nullopt;
  return ClipboardPlaceholder{"Recording paused", "Turn On Clipboard History"};
}

std::string ClipboardModel::selectionNote() const {
  const auto& ids = state_.selection;
  if (ids.size() < 2 || !store_) return {};
  std::vector<ClipboardKind> kinds;
  for (const base::Uuid& id : ids)
    if (const auto entry = store_->entry(id)) kinds.push_back(entry->kind);
  std::string note = std::to_string(ids.size()) + " items, in the order of their numbers";
  if (ClipboardComposition::leavesOutImages(kinds)) {
    note += ". Images are left out.";
  } else if (std::all_of(kinds.begin(), kinds.end(),
                         [](ClipboardKind k) { return k == ClipboardKind::image; })) {
    note += ". The receiving app decides whether it takes several images.";
  }
  return note;
}

std::shared_ptr<ClipboardStore> ClipboardModel::storeOrReport() {
  if (!store_) {
    state_.status = std::string(kNotOpen);
    changed();
  }
  return store_;
}

void ClipboardModel::showError(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const base::Cancelled&) {
    return;
  } catch (const clipboard::ClipboardError& failure) {
    state_.status =
        failure.code() == clipboard::ClipboardError::Code::unavailableFile
            ? std::string(core::platformText(core::PlatformText::unavailableFile, services_.system))
            : std::string(failure.what());
  } catch (const std::exception& failure) {
    state_.status = failure.what();
  }
  changed();
}

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

void ClipboardModel::combineThen(ClipboardComposition::TextStyle style,
                                 std::function<void(clipboard::ClipboardPayload)> then) {
  const auto store = storeOrReport();
  if (!store || state_.isBusy) return;
  const auto ids = chosen();
  if (ids.empty()) return;
  state_.isBusy = true;
  changed();
  action_.start(
      [store, ids, style, separator = settings_.values().separator](std::stop_token) {
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
      [this](std::exception_ptr error) {
        state_.isBusy = false;
        showError(error);
      });
}

void ClipboardModel::paste(ClipboardComposition::TextStyle style) {
  combineThen(style, [this](ClipboardPayload payload) {
    const auto dismiss = onDismiss ? onDismiss : [](std::function<void(bool)> answer) { answer(false); };
    state_.isOpen = false;
    state_.cleanPreview.reset();
    paste_.paste(payload, state_.target, dismiss, [this](std::optional<std::string> message) {
      state_.status = std::move(message);
      changed();
    });
  });
}

void ClipboardModel::copy(ClipboardComposition::TextStyle style) {
  const auto ids = chosen();
  combineThen(style, [this, ids](ClipboardPayload payload) {
    if (!paste_.copy(payload)) {
      state_.status =
          payload.fileURLs()
              ? std::string(core::platformText(core::PlatformText::unavailableFile, services_.system))
              : std::string("Could not copy the selection.");
      return changed();
    }
    state_.status.reset();
    markCopied(ids);
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
  combineThen(ClipboardComposition::TextStyle::clean, [this](ClipboardPayload payload) {
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
                [this](std::exception_ptr error) {
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
  run([ids, folder](ClipboardStore& store) {
    std::size_t images = 0;
    std::size_t texts = 0;
    for (const base::Uuid& id : ids) {
      const auto entry = store.entry(id);
      if (!entry) continue;
      if (entry->kind == ClipboardKind::image) {
        const ClipboardPayload payload = store.payload(id);
        if (const auto* image = firstImage(payload))
          writeFile(freeName(folder, "Clipboard image", imageExtension(image->type), ++images), image->data);
      } else if (entry->kind != ClipboardKind::file) {
        const std::string_view text = entry->text;
        writeFile(freeName(folder, "Clipboard text", "txt", ++texts),
                  clipboard::Bytes(text.begin(), text.end()));
      }
    }
  });
}

void ClipboardModel::clearHistory(bool includingPinned) {
  run([includingPinned](ClipboardStore& store) { store.clear(includingPinned); },
      [this] {
        state_.selection.clear();
        state_.focusedID.reset();
        state_.status = "Clipboard history cleared.";
      });
}

void ClipboardModel::settingsChanged() {
  if (!store_) return changed();
  run([limits = settings_.limits(), now = services_.clock.now()](ClipboardStore& store) {
    store.prune(limits, now);
  });
}

std::optional<ClipboardEntry> ClipboardModel::launcherMatch(std::string_view query,
                                                            std::stop_token stop) const {
  std::shared_ptr<ClipboardStore> store;
  {
    const std::lock_guard lock(launcherMutex_);
    store = launcherStore_;
  }
  if (!store) return std::nullopt;
  auto match = store->strongMatch(query, stop);
  if (match && match->isToken()) return std::nullopt;
  return match;
}

void ClipboardModel::recogniseImageText() {
  if (!options_.recognisesImageText || !store_ || recognition_.busy()) return;
  recognition_.start(
      [store = store_, limits = settings_.limits(),
       languages = options_.recognitionLanguages](std::stop_token stop) {
        bool found = false;
        for (const base::Uuid& id : store->imagesWithoutText()) {
          if (stop.stop_requested()) throw base::Cancelled();
          std::string text;
          try {
            const ClipboardPayload payload = store->payload(id);
            if (const auto* image = firstImage(payload))
              text = clipboard::ClipboardTextRecognition::text(image->data, stop, languages);
          } catch (const clipboard::ClipboardError&) {
            // Not an image the recogniser reads: marked done with no text, so it is not tried again.
          }
          store->setImageText(id, text, limits);
          found = found || !text.empty();
        }
        return found;
      },
      [this](bool found) {
        if (found) refresh();
      },
      [](std::exception_ptr) {
        // Recognition is unavailable (no language data) or failed: images stay findable by title.
      });
}

}  // namespace quillo::app
