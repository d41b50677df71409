#pragma once

namespace quillo::ui {

// Whether a StatusNotifierItem watcher on the session bus reports a registered host.
bool statusNotifierHostRegistered();

}  // namespace quillo::ui
