#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "quillo/app/clipboard/clipboard_settings.h"
#include "quillo/app/clipboard/concealed_copies.h"
#include "quillo/app/task_slot.h"
#include "quillo/base/worker_pool.h"
#include "quillo/clipboard/clipboard_store.h"
#include "quillo/clipboard/clipboard_tagger.h"
#include "quillo/clipboard/copy_preparation.h"
#include "quillo/platform/clock.h"
#include "quillo/platform/main_queue.h"
#include "quillo/platform/pasteboard.h"
#include "quillo/platform/workspace.h"

namespace quillo::app {

struct ClipboardMonitorOptions {
  std::chrono::milliseconds pollInterval{250};
  // While recording is off the pasteboard is still watched, slowly, to keep its change count.
  std::chrono::milliseconds pausedPollInterval{5000};
  double pruneInterval = 600;
  std::chrono::minutes concealedLifetime{10};
};

// Watches the pasteboard and records each new copy in the store: polls on the main thread, takes
// a snapshot there, prepares the entry (title, thumbnail, tags) on the worker pool, and saves it.
// Whatever is on the pasteboard when the monitor is made is not recorded, nor is a copy made
// while recording is off. Prunes the store every ten minutes while it runs. Main thread only;
// everything it is given must outlive it.
class ClipboardMonitor {
 public:
  struct Services {
    platform::Pasteboard& board;
    platform::Workspace& workspace;
    platform::MainQueue& main;
    platform::Clock& clock;
    base::WorkerPool& pool;
  };

  ClipboardMonitor(Services services, ClipboardSettings& settings,
                   std::shared_ptr<clipboard::ClipboardStore> store,
                   std::shared_ptr<const clipboard::ClipboardTagger> tagger,
                   ClipboardMonitorOptions options = {});
  ~ClipboardMonitor();
  ClipboardMonitor(const ClipboardMonitor&) = delete;
  ClipboardMonitor& operator=(const ClipboardMonitor&) = delete;

  // Starts polling now; a second start keeps the one loop.
  void start();
  // Stops polling; a copy being prepared is not saved.
  void stop();
  bool isRunning() const { return running_; }
  // One pass: prune when due, then record the pasteboard's content if it changed. The next pass
  // of a running monitor waits until a copy this pass began is saved or dropped.
  void poll();

  // After the history changed (a copy saved, a prune).
  std::function<void()> onChange;
  // A message to show, or none to clear it.
  std::function<void(std::optional<std::string>)> onStatus;

 private:
  void scheduleNext();
  void record(clipboard::CapturedCopy copy);
  void save(clipboard::PreparedCopy prepared, std::uint64_t revision);
  void pruneIfDue();
  void report(const std::exception_ptr& error);
  void changed() const;
  void status(std::optional<std::string> message) const;

  Services services_;
  ClipboardSettings& settings_;
  std::shared_ptr<clipboard::ClipboardStore> store_;
  std::shared_ptr<const clipboard::ClipboardTagger> tagger_;
  ClipboardMonitorOptions options_;
  ConcealedCopies concealed_;
  std::int64_t changeCount_;
  std::uint64_t revision_ = 0;
  base::Date lastPruned_;
  bool running_ = false;
  bool recording_ = false;  // a copy is being prepared or saved; the loop waits for it
  platform::DelayedTask next_;
  TaskSlot work_;
  TaskSlot prune_;
};

}  // namespace quillo::app
