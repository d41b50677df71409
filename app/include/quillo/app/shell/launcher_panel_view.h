#pragma once

#include <functional>
#include <optional>
#include <string>

#include "quillo/app/shell/launcher_position.h"
#include "quillo/platform/screens.h"

namespace quillo::app {

// The launcher panel's window as the desktop front end draws it: a floating window that takes the
// keyboard without activating another window of the program. Main thread only.
class LauncherPanelView {
 public:
  virtual ~LauncherPanelView() = default;

  // On screen (also while it fades in or out).
  virtual bool isVisible() const = 0;
  // Lays out the content at `frame`, brings the panel to the front, makes it the key window with
  // the keyboard focus in the search field, and fades it in. `activationToken` is the desktop's
  // token of the request that showed it, when a later start forwarded one.
  virtual void present(const platform::Rect& frame, const PanelTransition& transition,
                       const std::optional<std::string>& activationToken) = 0;
  // Fades the panel out and orders it out; `completion` runs once it is gone.
  virtual void dismiss(const PanelTransition& transition, std::function<void()> completion) = 0;
};

}  // namespace quillo::app
