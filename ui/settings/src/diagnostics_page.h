#pragma once

#include <QWidget>

#include "quillo/ui/settings/settings_context.h"

class QTreeWidget;

namespace quillo::ui {

// How each facility of the desktop works in this session: working, limited (why, and the one
// step that fixes it) or unavailable. Checked again whenever the page is shown.
class DiagnosticsPage : public QWidget {
  Q_OBJECT

 public:
  DiagnosticsPage(SettingsContext& context, QWidget* parent);
  void refresh();

 private:
  SettingsContext& context_;
  QTreeWidget* facilities_;
};

// The facility's name as the user reads it ("Global shortcuts" for "shortcuts").
QString facilityTitle(const std::string& facility);
QString stateTitle(platform::desktop::FacilityStatus::State state);

}  // namespace quillo::ui
