#pragma once

#include <QWidget>
#include <functional>

#include "quillo/ui/settings/settings_context.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace quillo::ui {

class ShortcutRecorder;

// The shortcuts, the scope the launcher opens in, the launcher's switches and starting at login.
class GeneralPage : public QWidget {
  Q_OBJECT

 public:
  GeneralPage(SettingsContext& context, QWidget* parent);
  void refresh();

 private:
  void setStartAtLogin(bool on);
  void change(const std::function<void()>& write);

  SettingsContext& context_;
  ShortcutRecorder* launcherRecorder_ = nullptr;
  ShortcutRecorder* clipboardRecorder_ = nullptr;
  QComboBox* openingScope_;
  QCheckBox* learnFromUsage_;
  QCheckBox* prefetchMenus_;
  QCheckBox* showResultShortcuts_;
  QCheckBox* startAtLogin_;
  QCheckBox* desktopShortcuts_ = nullptr;
  QLabel* byHand_ = nullptr;
  QLabel* failure_;
};

}  // namespace quillo::ui
