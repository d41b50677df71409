#pragma once

#include <functional>

namespace quillo::app {

// Which content the one launcher panel shows. Opening the clipboard history while the launcher is
// shown switches the content of the same panel in place. Main thread only.
class LauncherPresentation {
 public:
  enum class Content { launcher, clipboard };
  using Observer = std::function<void(Content content)>;

  Content content() const { return content_; }
  // Shows `content`; the observer hears of a switch, not of opening what is already shown.
  void open(Content content);
  void setObserver(Observer observer) { observer_ = std::move(observer); }

 private:
  Content content_ = Content::launcher;
  Observer observer_;
};

}  // namespace quillo::app
