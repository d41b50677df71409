#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "quillo/clipboard/clipboard_filter.h"

class QToolButton;

namespace quillo::ui {

// The filters as a row of buttons, the current one checked, and the hint that Tab changes it.
class ClipboardFilterBar final : public QWidget {
 public:
  ClipboardFilterBar(const std::function<void(clipboard::ClipboardFilter)>& choose,
                     QWidget* parent = nullptr);

  void update(clipboard::ClipboardFilter current);

 private:
  std::array<QToolButton*, clipboard::kAllClipboardFilters.size()> buttons_{};
};

}  // namespace quillo::ui
