#include "quillo/app/settings_guide.h"

#include <algorithm>
#include <utility>

#include "quillo/base/log.h"
#include "quillo/core/ranking/semantic_ranker.h"

namespace quillo::app {

namespace {

const base::log::Logger kGuideLog("guide");

using ProcessSource = std::function<std::optional<platform::ProcessID>()>;

const core::SettingsRowRef* rowOf(const core::Command& command) {
  const auto* row = std::get_if<core::target::SettingsRow>(&command.target);
  return row ? &row->row : nullptr;
}

platform::Rect grown(const platform::Rect& frame, double by) {
  return {{frame.origin.x - by, frame.origin.y - by},
          {frame.size.width + 2 * by, frame.size.height + 2 * by}};
}

}  // namespace

// One guide run: what it was asked and where it stands.
struct SettingsGuide::Operation {
  std::string query;
  std::shared_ptr<core::BackendClient> backend;
  // The row step under way.
  ProcessSource process;
  std::optional<std::string> titleBefore;
  std::chrono::steady_clock::time_point stepStart;
  Found found;
  // The front application's settings window (follow only).
  platform::ProcessID appPid = 0;
  std::string appName;
  std::chrono::steady_clock::time_point windowStart;
  std::chrono::steady_clock::time_point ringStart;
};

SettingsGuide::SettingsGuide(Environment environment)
    : env_(std::move(environment)), reader_(env_.accessibility), reads_(env_.pool, env_.main) {}

SettingsGuide::~SettingsGuide() {
  wait_.cancel();
  release();
}

void SettingsGuide::release() {
  // The step's callback holds the operation itself: dropping it ends the cycle.
  if (operation_) operation_->found = nullptr;
  operation_.reset();
}

std::shared_ptr<SettingsGuide::Operation> SettingsGuide::start() {
  cancel();
  lastFailure_.reset();
  operation_ = std::make_shared<Operation>();
  return operation_;
}

void SettingsGuide::cancel() {
  reads_.cancel();
  wait_.cancel();
  release();
  env_.highlighter.hide();
}

void SettingsGuide::finish(const std::shared_ptr<Operation>& operation, std::optional<std::string> failure) {
  if (operation_ != operation) return;
  release();
  if (failure) {
    kGuideLog.info("No row: {}", base::log::Private<std::string>{*failure});
    lastFailure_ = std::move(failure);
  }
}

void SettingsGuide::fail(const std::shared_ptr<Operation>& operation, std::exception_ptr error) {
  try {
    std::rethrow_exception(std::move(error));
  } catch (const std::exception& failure) {
    finish(operation, failure.what());
  }
}

void SettingsGuide::after(const std::shared_ptr<Operation>& operation, std::chrono::milliseconds delay,
                          Continue then) {
  wait_ = env_.main.postAfter(delay, [this, operation, then = std::move(then)] {
    if (operation_ == operation) then();
  });
}

template <class Work, class Then>
void SettingsGuide::read(const std::shared_ptr<Operation>& operation, Work work, Then then) {
  reads_.start(
      std::move(work),
      [this, operation, then = std::move(then)](auto result) mutable {
        if (operation_ == operation) then(std::move(result));
      },
      [this, operation](std::exception_ptr error) { fail(operation, std::move(error)); });
}

bool SettingsGuide::run(const std::shared_ptr<Operation>& operation, const core::Command& command) {
  try {
    env_.runCommand(command);
    return true;
  } catch (const std::exception& failure) {
    finish(operation, failure.what());
    return false;
  }
}

void SettingsGuide::open(const core::Command& command, const std::string& query,
                         std::shared_ptr<core::BackendClient> backend) {
  auto operation = start();
  operation->query = query;
  operation->backend = std::move(backend);
  const ProcessSource settings = [this] { return env_.processOf(core::SettingsReader::systemSettingsID); };
  // The title before the command runs tells a newly shown pane from the one already there.
  read(
      operation,
      [this, settings](std::stop_token) {
        std::optional<std::string> title;
        if (const auto pid = settings()) title = reader_.windowTitle(*pid);
        return title;
      },
      [this, operation, command, settings](std::optional<std::string> titleBefore) {
        if (!run(operation, command)) return;
        rowStep(operation, settings, std::move(titleBefore), [this, operation](bool ringShown) {
          if (!ringShown) finish(operation);
        });
      });
}

void SettingsGuide::follow(const core::Command& command, platform::ProcessID pid, const std::string& appName,
                           const std::string& query, std::shared_ptr<core::BackendClient> backend) {
  auto operation = start();
  operation->query = query;
  operation->backend = std::move(backend);
  operation->appPid = pid;
  operation->appName = appName;
  read(
      operation, [this, pid](std::stop_token) { return reader_.windowToken(pid); },
      [this, operation, command](std::optional<std::int64_t> tokenBefore) {
        after(operation, env_.timing.menuPressDelay, [this, operation, command, tokenBefore] {
          if (!run(operation, command)) return;
          operation->windowStart = env_.clock.steadyNow();
          awaitSettingsWindow(operation, tokenBefore);
        });
      });
}

void SettingsGuide::awaitSettingsWindow(const std::shared_ptr<Operation>& operation,
                                        std::optional<std::int64_t> tokenBefore) {
  after(operation, env_.timing.poll, [this, operation, tokenBefore] {
    read(
        operation, [this, pid = operation->appPid](std::stop_token) { return reader_.sidebar(pid); },
        [this, operation, tokenBefore](std::optional<core::SettingsSidebar> sidebar) {
          if (sidebar) {
            const bool isNew = sidebar->windowToken != tokenBefore;
            if (core::SettingsReader::isSettingsWindow(isNew, sidebar->title, sidebar->sections)) {
              rankSections(operation, std::move(sidebar->sections));
              return;
            }
          }
          if (env_.clock.steadyNow() - operation->windowStart >= env_.timing.loadTimeout) {
            finish(operation, NotLoaded().what());
            return;
          }
          awaitSettingsWindow(operation, tokenBefore);
        });
  });
}

void SettingsGuide::rankSections(const std::shared_ptr<Operation>& operation,
                                 std::vector<core::Command> sections) {
  read(
      operation,
      [backend = operation->backend, query = operation->query, app = operation->appName,
       sections = std::move(sections)](std::stop_token stop) {
        const core::SemanticRanker ranker(backend, core::RavoQuestions::scope::Sections{app}, sections);
        return ranker.rank(query, sectionThreshold, stop);
      },
      [this, operation](const core::SemanticResult& result) {
        std::vector<core::Command> kept;
        for (const core::SemanticHit& hit : result.hits) {
          if (rowOf(hit.command) && kept.size() < core::RavoQuestions::maxSectionsTried)
            kept.push_back(hit.command);
        }
        trySections(operation, std::move(kept), 0);
      });
}

void SettingsGuide::trySections(const std::shared_ptr<Operation>& operation,
                                std::vector<core::Command> sections, std::size_t next) {
  if (next >= sections.size()) {
    finish(operation);
    return;
  }
  const core::SettingsRowRef section = *rowOf(sections[next]);
  read(
      operation, [this, section](std::stop_token) { return section.select(env_.accessibility); },
      [this, operation, sections = std::move(sections), next](bool) mutable {
        const platform::ProcessID pid = operation->appPid;
        rowStep(
            operation, [pid]() -> std::optional<platform::ProcessID> { return pid; }, std::nullopt,
            [this, operation, sections = std::move(sections), next](bool ringShown) mutable {
              if (!ringShown) trySections(operation, std::move(sections), next + 1);
            });
      });
}

void SettingsGuide::rowStep(const std::shared_ptr<Operation>& operation, ProcessSource process,
                            std::optional<std::string> titleBefore, Found found) {
  operation->process = std::move(process);
  operation->titleBefore = std::move(titleBefore);
  operation->found = std::move(found);
  operation->stepStart = env_.clock.steadyNow();
  pollPane(operation, std::nullopt);
}

void SettingsGuide::pollPane(const std::shared_ptr<Operation>& operation,
                             std::optional<std::vector<std::string>> previousRows) {
  after(operation, env_.timing.poll, [this, operation, previousRows = std::move(previousRows)] {
    read(
        operation,
        [this, process = operation->process](std::stop_token) -> std::optional<core::SettingsPane> {
          const auto pid = process();
          if (!pid) return std::nullopt;
          return reader_.openPane(*pid);
        },
        [this, operation, previousRows](std::optional<core::SettingsPane> pane) {
          const auto elapsed = env_.clock.steadyNow() - operation->stepStart;
          std::vector<std::string> rows;
          if (pane) {
            for (const core::Command& row : pane->rows)
              rows.push_back(row.title);
            const bool titleChanged = pane->title != operation->titleBefore;
            if (core::SettingsReader::isLoaded(rows, previousRows, titleChanged, elapsed)) {
              rankRows(operation, std::move(*pane));
              return;
            }
          }
          if (elapsed >= env_.timing.loadTimeout) {
            finish(operation, NotLoaded().what());
            return;
          }
          pollPane(operation, std::move(rows));
        });
  });
}

void SettingsGuide::rankRows(const std::shared_ptr<Operation>& operation, core::SettingsPane pane) {
  read(
      operation,
      [backend = operation->backend, query = operation->query, pane = std::move(pane)](std::stop_token stop) {
        const core::SemanticRanker ranker(backend, core::RavoQuestions::scope::Pane{pane.title}, pane.rows);
        return ranker.rank(query, rowThreshold, stop);
      },
      [this, operation](core::SemanticResult result) {
        if (result.hits.empty() || result.hits.front().probability < acceptance ||
            !rowOf(result.hits.front().command)) {
          const Found found = operation->found;
          found(false);
          return;
        }
        // The ranked row is found again in the live window: the pane may have been rebuilt.
        using Live = std::optional<std::pair<core::SettingsRowRef, platform::ProcessID>>;
        read(
            operation,
            [this, process = operation->process,
             best = result.hits.front().command](std::stop_token) -> Live {
              const auto pid = process();
              if (!pid) return std::nullopt;
              const auto pane = reader_.openPane(*pid);
              if (!pane) return std::nullopt;
              for (const core::Command& row : pane->rows) {
                if (row.id == best.id && row.title == best.title) return std::pair{*rowOf(row), *pid};
              }
              return std::nullopt;
            },
            [this, operation](const Live& live) {
              // A copy: the callback may start the next row step, which replaces it.
              const Found found = operation->found;
              if (!live) {
                found(false);
                return;
              }
              found(true);
              after(operation, env_.timing.settle, [this, operation, live] {
                operation->ringStart = env_.clock.steadyNow();
                ring(operation, live->first, live->second);
              });
            });
      });
}

void SettingsGuide::ring(const std::shared_ptr<Operation>& operation, const core::SettingsRowRef& row,
                         platform::ProcessID pid) {
  if (env_.clock.steadyNow() - operation->ringStart >= env_.timing.ringDuration) {
    env_.highlighter.hide();
    finish(operation);
    return;
  }
  struct Reading {
    std::optional<platform::ProcessID> front;
    std::optional<platform::Rect> frame;
  };
  read(
      operation,
      [this, row](std::stop_token) {
        return Reading{env_.frontProcess(), row.visibleFrame(env_.accessibility)};
      },
      [this, operation, row, pid](Reading reading) {
        // The user went to another application: the ring goes at once.
        if (reading.front != pid) {
          env_.highlighter.hide();
          finish(operation);
          return;
        }
        if (reading.frame) env_.highlighter.show(grown(*reading.frame, ringOutset));
        after(operation, env_.timing.ringRefresh, [this, operation, row, pid] { ring(operation, row, pid); });
      });
}

}  // namespace quillo::app
