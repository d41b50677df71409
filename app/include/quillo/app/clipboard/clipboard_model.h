#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "quillo/app/clipboard/clipboard_actions.h"
#include "quillo/app/clipboard/clipboard_monitor.h"
#include "quillo/app/clipboard/clipboard_paste_service.h"
#include "quillo/app/clipboard/clipboard_settings.h"
#include "quillo/app/task_slot.h"
#include "quillo/app/telemetry_service.h"
#include "quillo/base/observers.h"
#include "quillo/clipboard/clipboard_composition.h"
#include "quillo/clipboard/clipboard_entry.h"
#include "quillo/clipboard/clipboard_filter.h"
#include "quillo/clipboard/clipboard_store.h"
#include "quillo/clipboard/clipboard_tagger.h"
#include "quillo/platform/file_system.h"
#include "quillo/platform/key_events.h"
#include "quillo/platform/system.h"

namespace quillo::app {

// What the history window shows, as plain values; the model owns it and announces each change.
struct ClipboardModelState {
  enum class Mode : std::uint8_t {
    browse,  // opened to look through the history: Return copies
    paste,   // opened to paste into the application behind it: Return pastes
  };

  std::vector<clipboard::ClipboardEntry> entries{};
  std::size_t totalCount = 0;
  std::int64_t storedBytes = 0;

  std::string query{};
  clipboard::ClipboardFilter filter = clipboard::ClipboardFilter::all;
  std::size_t limit = 100;
  std::uint64_t searchRevision = 0;
  bool isSearching = false;

  // In the order the user selected the entries; combined output follows it.
  std::vector<base::Uuid> selection{};
  std::optional<base::Uuid> focusedID{};
  // Where extending the selection with the keyboard started, and the selection before it.
  std::optional<base::Uuid> rangeAnchor{};
  std::vector<base::Uuid> selectionBeforeRange{};
  // Entries that were just copied, for a moment.
  std::unordered_set<base::Uuid> copiedIDs{};

  Mode mode = Mode::browse;
  // The application in front when the window opened: pastes go there.
  std::optional<platform::FrontApplication> target{};
  bool isOpen = false;
  bool isReady = false;
  bool isBusy = false;

  // The preview of the focused entry: its text (none for token-looking text), image or files.
  bool isPreviewing = false;
  std::optional<std::string> previewText{};
  clipboard::Bytes previewImage{};
  std::vector<base::Url> previewFileURLs{};
  // The cleaned text of the selection while the clean-text preview is shown.
  std::optional<std::string> cleanPreview{};

  bool isRenaming = false;
  std::string renameTitle{};
  std::optional<base::Uuid> renameID{};

  std::optional<std::string> status{};
};

// A line of the empty window: what it says and what the button under it offers, if anything.
struct ClipboardPlaceholder {
  std::string title;
  std::string detail;
  bool operator==(const ClipboardPlaceholder&) const = default;
};

struct ClipboardModelOptions {
  ClipboardMonitorOptions monitor{};
  // How long copied entries keep their check mark.
  std::chrono::milliseconds copiedMark{1500};
  // Read the text in images without any, in the background, so that searches find it.
  bool recognisesImageText = true;
  std::string recognitionLanguages = "eng";
  std::string ownApplicationID = "dev.tarnwick.Quillo";
};

// The view model of the clipboard history window and of its settings page: owns the store and the
// monitor, searches as the user types (a newer query cancels the older search), keeps the
// selection in the user's order, and performs the window's actions on it. Main thread only,
// except launcherMatch; everything it is given must outlive it.
class ClipboardModel {
 public:
  using Mode = ClipboardModelState::Mode;

  struct Services {
    platform::Pasteboard& board;
    platform::KeyEvents& keys;
    platform::Workspace& workspace;
    const platform::System& system;
    platform::MainQueue& main;
    platform::Clock& clock;
    base::WorkerPool& pool;
    platform::FileSystem& files;
  };

  ClipboardModel(Services services, ClipboardSettings& settings,
                 std::shared_ptr<const clipboard::ClipboardTagger> tagger,
                 ClipboardModelOptions options = {});
  ~ClipboardModel();
  ClipboardModel(const ClipboardModel&) = delete;
  ClipboardModel& operator=(const ClipboardModel&) = delete;

  // Opens the history (at `file`, else the standard place) in the background, prunes it, and then
  // starts the monitor when asked to. A second start does nothing; a failure is shown in status.
  void start(std::optional<std::filesystem::path> file, bool monitorsClipboard);
  // The program is quitting: the monitor stops (or never starts) and no copy is recorded again.
  void stop();
  bool isMonitoring() const { return monitor_ && monitor_->isRunning(); }
  // A fresh window: no query, all entries, the first 100, nothing selected.
  void open(Mode mode, std::optional<platform::FrontApplication> target);
  void close();

  void setQuery(std::string query);
  void setFilter(clipboard::ClipboardFilter filter);
  // Moves to the next filter, as Tab does, or back to the one before.
  void nextFilter();
  void previousFilter();
  // Runs the search again; a newer one cancels it.
  void refresh();
  // Asks for the next hundred results, as the list scrolls to its end.
  void loadMore();

  void focus(const base::Uuid& id);
  // Moves the focus by `delta` rows, stopping at either end; the last row asks for more.
  void moveFocus(int delta);
  // Moves the focus by `delta` rows and selects the rows from where the extension started to the
  // focus, after what was selected before it, in the order the focus passed them.
  void extendSelection(int delta);
  // Adds the entry to the selection, or takes it out when it is selected.
  void toggleSelection(const base::Uuid& id);
  // Whether an action has something to act on: the selection, else the focused entry.
  bool hasChoice() const { return !chosen().empty(); }
  // Closes the rename, then the cleaned text, then the preview; false when none was open.
  bool closeDetail();

  // Whether every selected entry is pinned.
  bool selectionIsPinned() const;
  // The action's title for the current selection.
  std::string title(ClipboardAction action) const;
  void perform(ClipboardAction action);
  // Pastes one entry into `target`, as a clipboard row chosen in the launcher does; `done` gets
  // the message to show, none when the paste went through.
  void paste(const base::Uuid& id, std::optional<platform::FrontApplication> target,
             std::function<void(std::optional<std::string>)> done);
  // Copies one entry; `done` gets the failure's message, none when it is on the pasteboard.
  void copy(const base::Uuid& id, std::function<void(std::optional<std::string>)> done);
  // Return: pastes in paste mode, copies in browse mode; the cleaned text while it is previewed.
  void performPrimary();
  void commitRename(std::string_view title);
  void cancelRename();
  // Saves the selected images (or texts) into the folder the user chose.
  void saveSelection(const std::filesystem::path& folder);
  void clearHistory(bool includingPinned);
  // Applies changed settings: the store's limits, recording on or off.
  void settingsChanged();

  // The store's strong match for the launcher's query; never a token-looking entry. Safe on any
  // thread (it blocks, so the launcher calls it from its own search task).
  std::optional<clipboard::ClipboardEntry> launcherMatch(std::string_view query,
                                                         std::stop_token stop = {}) const;

  const ClipboardModelState& state() const { return state_; }
  // What the empty window says; none while there are entries to show.
  std::optional<ClipboardPlaceholder> placeholder() const;
  // "Recording paused" with the button that turns it on; none while recording.
  std::optional<ClipboardPlaceholder> recordingNotice() const;
  // An entry's PNG thumbnail, read once and then kept; empty when it has none.
  const clipboard::Bytes& thumbnail(const base::Uuid& id);
  // The note under a selection of several entries; empty for one.
  std::string selectionNote() const;

  // Calls `observer` after any change of state until the token goes.
  [[nodiscard]] base::Observers::Token observe(std::function<void()> observer) {
    return changes_.observe(std::move(observer));
  }
  // Hides the window and brings the target back before a paste; answers whether the window was
  // opened again meanwhile. Without it, the paste follows at once.
  ClipboardPasteService::Dismiss onDismiss;
  // Asks the user for a folder to save the selection into, then calls saveSelection.
  std::function<void()> onChooseFolder;
  // An entry (or the selection) was pasted or copied: for the usage signals.
  std::function<void(Interaction)> onInteraction;

 private:
  struct Combined;
  void changed();
  std::shared_ptr<clipboard::ClipboardStore> storeOrReport();
  std::vector<base::Uuid> chosen() const;
  void combineThen(std::vector<base::Uuid> ids, clipboard::ClipboardComposition::TextStyle style,
                   std::function<void(clipboard::ClipboardPayload)> then,
                   std::function<void(std::string)> failed = {});
  std::optional<std::size_t> focusedIndex() const;
  void startRange();
  void paste(clipboard::ClipboardComposition::TextStyle style);
  void copy(clipboard::ClipboardComposition::TextStyle style);
  void togglePreview();
  void toggleCleanText();
  void togglePin();
  void remove();
  void startRename();
  // Runs one store operation while busy (a second is ignored), then refreshes.
  void run(std::function<void(clipboard::ClipboardStore&)> operation, std::function<void()> after = {});
  void showError(const std::exception_ptr& error);
  // The error's message for the user; none for a cancelled task.
  std::optional<std::string> errorMessage(const std::exception_ptr& error) const;
  // Copies the payload; the message to show when it could not.
  std::optional<std::string> copyFailure(const clipboard::ClipboardPayload& payload);
  ClipboardPasteService::Dismiss dismissal() const;
  void recogniseImageText();
  void markCopied(std::vector<base::Uuid> ids);
  void interacted(Interaction interaction) const;

  Services services_;
  ClipboardSettings& settings_;
  std::shared_ptr<const clipboard::ClipboardTagger> tagger_;
  ClipboardModelOptions options_;
  base::Observers changes_;
  ClipboardPasteService paste_;
  std::shared_ptr<clipboard::ClipboardStore> store_;
  std::unique_ptr<ClipboardMonitor> monitor_;
  // The store as launcherMatch sees it from other threads.
  mutable std::mutex launcherMutex_;
  std::shared_ptr<clipboard::ClipboardStore> launcherStore_;
  bool starting_ = false;
  bool stopped_ = false;
  ClipboardModelState state_;
  std::unordered_map<base::Uuid, clipboard::Bytes> thumbnails_;
  platform::DelayedTask copiedMark_;
  // Declared last: destroyed first, so that no task of theirs is applied to a half-destroyed model.
  TaskSlot opening_;
  TaskSlot search_;
  TaskSlot action_;
  TaskSlot recognition_;
};

}  // namespace quillo::app
