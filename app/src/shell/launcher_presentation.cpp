#include "quillo/app/shell/launcher_presentation.h"

namespace quillo::app {

void LauncherPresentation::open(Content content) {
  if (content == content_) return;
  content_ = content;
  if (observer_) observer_(content_);
}

}  // namespace quillo::app
