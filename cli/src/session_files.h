#pragma once

#include <memory>

#include "quillo/app/search_model.h"
#include "quillo/app/task_slot.h"
#include "quillo/core/files/file_command.h"
#include "quillo/platform/system.h"

namespace quillo::cli {

// The search folders of a scripted session: their index is opened on a worker the first time
// the files scope needs it, as `search --scope files` opens it, and handed to the model with
// the file ranker when the service may rank files. Main thread only.
class SessionFiles {
 public:
  SessionFiles(app::SearchModel& model, const core::QuilloPreferences& preferences,
               const platform::System& system, std::shared_ptr<core::BackendClient> backend,
               core::FileDisplay display, base::WorkerPool& pool, platform::MainQueue& main)
      : model_(model),
        preferences_(preferences),
        system_(system),
        backend_(std::move(backend)),
        display_(std::move(display)),
        task_(pool, main) {}

  void prepare();

 private:
  app::SearchModel& model_;
  const core::QuilloPreferences& preferences_;
  const platform::System& system_;
  std::shared_ptr<core::BackendClient> backend_;
  core::FileDisplay display_;
  app::TaskSlot task_;
};

}  // namespace quillo::cli
