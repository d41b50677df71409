#include "session_runner.h"

namespace quillo::cli {

SessionRunner::SessionRunner(platform::MainQueue& main, platform::Accessibility& accessibility,
                             base::WorkerPool& pool, const platform::Clock& clock)
    : processes_(main),
      starter_(processes_),
      keepAwake_(starter_, defaults_, {}, app::KeepAwake::Role::detached),
      sender_(workspace_, events_),
      runner_({starter_, keepAwake_, workspace_, accessibility, sender_, pool, files_, clock}) {}

}  // namespace quillo::cli
