#pragma once

#include <functional>

#include "quillo/platform/screens.h"

namespace quillo::platform::desktop {

// The displays as Qt sees them: frames in device-independent pixels, visible frames without
// panels, ids from the output's connector name and EDID serial so that a display keeps its id
// across restarts. Needs Qt's GUI application object; main thread only.
class QtScreens final : public Screens {
 public:
  // `animationsOff` answers whether the desktop turned its animations off.
  explicit QtScreens(std::function<bool()> animationsOff) : animationsOff_(std::move(animationsOff)) {}

  std::vector<Display> displays() const override;
  Point pointer() const override;
  bool reduceMotion() const override { return animationsOff_(); }

 private:
  std::function<bool()> animationsOff_;
};

// Whether the desktop turned animations off: GNOME's "enable-animations" setting, KDE's
// animation speed of zero in kdeglobals (`kdeglobals` is the path of that file).
bool desktopAnimationsOff(const std::string& currentDesktop, const std::string& kdeglobals);

}  // namespace quillo::platform::desktop
