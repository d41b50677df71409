#include "front_end.h"

namespace quillo::ui {
namespace {

// Stands in for the launcher window until it is composed here: shown and hidden at once.
class WindowlessPanel final : public app::LauncherPanelView {
 public:
  bool isVisible() const override { return visible_; }
  void present(const platform::Rect&, const app::PanelTransition&,
               const std::optional<std::string>&) override {
    visible_ = true;
  }
  void dismiss(const app::PanelTransition&, std::function<void()> completion) override {
    visible_ = false;
    if (completion) completion();
  }

 private:
  bool visible_ = false;
};

// Until the folder picker is composed here: every request ends as cancelled.
class CancellingFolderPicker final : public platform::FolderPicker {
 public:
  void show(const Request&, Done done) override { done(std::nullopt); }
};

// Until the ring window is composed here: draws nothing.
class NoHighlighter final : public platform::Highlighter {
 public:
  void show(const platform::Rect&) override {}
  void hide() override {}
};

}  // namespace

struct FrontEnd::Windows {
  WindowlessPanel panel;
  CancellingFolderPicker picker;
  NoHighlighter highlighter;
};

FrontEnd::FrontEnd() : windows_(std::make_unique<Windows>()) {}
FrontEnd::~FrontEnd() = default;

app::LauncherPanelView& FrontEnd::panel() {
  return windows_->panel;
}
platform::FolderPicker& FrontEnd::folderPicker() {
  return windows_->picker;
}
platform::Highlighter& FrontEnd::highlighter() {
  return windows_->highlighter;
}

void FrontEnd::connect(app::ApplicationComponents&, app::QuilloApplication&) {}

void FrontEnd::fill(app::UiHooks& hooks, std::function<void()> quit) {
  hooks.quit = std::move(quit);
  hooks.launcherSize = [] { return platform::Size{680, 420}; };
}

std::vector<SnapshotWindow> FrontEnd::snapshotWindows(app::LauncherPresentation::Content) {
  return {};
}

}  // namespace quillo::ui
