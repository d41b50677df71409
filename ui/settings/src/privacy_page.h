#pragma once

#include <QWidget>
#include <functional>

#include "quillo/ui/settings/settings_context.h"

class QCheckBox;
class QLabel;

namespace quillo::ui {

// What goes to the ranking service and what never does, the switches that decide it, and the
// anonymous usage statistics.
class PrivacyPage : public QWidget {
  Q_OBJECT

 public:
  PrivacyPage(SettingsContext& context, QWidget* parent);
  void refresh();

 private:
  void change(const std::function<void()>& write);

  SettingsContext& context_;
  QCheckBox* hideMenuData_;
  QCheckBox* searchFiles_;
  QCheckBox* telemetry_;
  QLabel* failure_;
};

// The about page: the program's name, what it is, and its version.
class AboutPage : public QWidget {
  Q_OBJECT

 public:
  AboutPage(const SettingsContext& context, QWidget* parent);
};

}  // namespace quillo::ui
