#include "quillo/app/clipboard/clipboard_monitor.h"

#include "quillo/app/clipboard/clipboard_snapshot.h"
#include "quillo/base/errors.h"

namespace quillo::app {

ClipboardMonitor::ClipboardMonitor(Services services, ClipboardSettings& settings,
                                   std::shared_ptr<clipboard::ClipboardStore> store,
                                   std::shared_ptr<const clipboard::ClipboardTagger> tagger,
                                   ClipboardMonitorOptions options)
    : services_(services),
      settings_(settings),
      store_(std::move(store)),
      tagger_(std::move(tagger)),
      options_(options),
      concealed_(options.concealedLifetime),
      changeCount_(services.board.changeCount()),
      lastPruned_(services.clock.now()),
      work_(services.pool, services.main),
      prune_(services.pool, services.main) {}

ClipboardMonitor::~ClipboardMonitor() {
  next_.cancel();
}

void ClipboardMonitor::start() {
  if (running_) return;
  running_ = true;
  next_ = services_.main.postAfter(std::chrono::milliseconds(0), [this] {
    poll();
    scheduleNext();
  });
}

void ClipboardMonitor::stop() {
  next_.cancel();
  work_.cancel();
  running_ = false;
  recording_ = false;
  ++revision_;
}

void ClipboardMonitor::scheduleNext() {
  if (!running_ || recording_) return;
  const auto interval = settings_.values().isEnabled ? options_.pollInterval : options_.pausedPollInterval;
  next_ = services_.main.postAfter(interval, [this] {
    poll();
    scheduleNext();
  });
}

void ClipboardMonitor::changed() const {
  if (onChange) onChange();
}

void ClipboardMonitor::status(std::optional<std::string> message) const {
  if (onStatus) onStatus(std::move(message));
}

void ClipboardMonitor::pruneIfDue() {
  const base::Date now = services_.clock.now();
  if (now.secondsSince1970 - lastPruned_.secondsSince1970 < options_.pruneInterval) return;
  lastPruned_ = now;
  prune_.start(
      [store = store_, limits = settings_.limits(), now](std::stop_token) { store->prune(limits, now); },
      [this] { changed(); },
      [this](const std::exception_ptr& error) {
        report(error);
        changed();
      });
}

void ClipboardMonitor::poll() {
  pruneIfDue();
  const std::int64_t count = services_.board.changeCount();
  if (count == changeCount_) return;
  // Kept while recording is off too, so that turning it on does not record what was copied before.
  changeCount_ = count;
  if (!settings_.values().isEnabled) return;

  const auto front = services_.workspace.frontApplication();
  const SnapshotContext context{
      .appID = front ? front->id : std::string(),
      .appName = front && !front->name.empty() ? front->name : std::string("Unknown app"),
      .now = services_.clock.now(),
      .steadyNow = services_.clock.steadyNow(),
  };
  std::optional<clipboard::CapturedCopy> copy =
      takeSnapshot(services_.board, context, settings_.values(), concealed_);
  if (!copy) return;
  // The content changed while it was read: the next pass records the newer copy.
  if (services_.board.changeCount() != changeCount_) return;
  record(std::move(*copy));
}

void ClipboardMonitor::record(clipboard::CapturedCopy copy) {
  recording_ = true;
  const std::uint64_t revision = revision_;
  work_.start([copy = std::move(copy),
               tagger = tagger_](std::stop_token) { return clipboard::prepareCopy(copy, *tagger); },
              [this, revision](clipboard::PreparedCopy prepared) { save(std::move(prepared), revision); },
              [this](const std::exception_ptr& error) {
                recording_ = false;
                report(error);
                scheduleNext();
              });
}

void ClipboardMonitor::save(clipboard::PreparedCopy prepared, std::uint64_t revision) {
  if (revision != revision_ || !settings_.values().isEnabled) {
    recording_ = false;
    scheduleNext();
    return;
  }
  work_.start(
      [store = store_, prepared = std::move(prepared), limits = settings_.limits(),
       now = services_.clock.now()](std::stop_token stop) {
        store->save(prepared.entry, prepared.payload, prepared.thumbnail, limits, now, stop);
      },
      [this] {
        recording_ = false;
        status(std::nullopt);
        changed();
        scheduleNext();
      },
      [this](const std::exception_ptr& error) {
        recording_ = false;
        report(error);
        scheduleNext();
      });
}

void ClipboardMonitor::report(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const base::Cancelled&) {
  } catch (const std::exception& failure) {
    status(failure.what());
  }
}

}  // namespace quillo::app
