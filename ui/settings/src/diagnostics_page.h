#pragma once

#include <QWidget>

#include "quillo/ui/settings/settings_context.h"

class QVBoxLayout;

namespace quillo::ui {

// How each facility of the desktop works in this session: working, limited (why, and the one
// step that fixes it) or unavailable. Checked again whenever the page is shown. Each facility is a
// row named "facility:<name>" with the labels "state", "detail" and, when there is one, "fix".
class DiagnosticsPage : public QWidget {
  Q_OBJECT

 public:
  DiagnosticsPage(SettingsContext& context, QWidget* parent);
  void refresh();

 private:
  SettingsContext& context_;
  QWidget* rows_;
  QVBoxLayout* rowsLayout_;
};

// The facility's name as the user reads it ("Global shortcuts" for "shortcuts").
QString facilityTitle(const std::string& facility);
QString stateTitle(platform::desktop::FacilityStatus::State state);

}  // namespace quillo::ui
