#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "quillo/app/shell/shortcut_controller.h"

class QLabel;

namespace quillo::ui {

class KeyCapsField;

// One global shortcut in the settings: the combination as key caps, and under it the controller's
// explanation or message. Clicking the caps (or Space/Return on them) starts recording; while
// recording, the next key press with a modifier becomes the shortcut, Escape cancels, and so does
// leaving the field. Main thread only; the controller must outlive it.
class ShortcutRecorder : public QWidget {
  Q_OBJECT

 public:
  ShortcutRecorder(app::ShortcutController& controller, const QString& name, QWidget* parent = nullptr);
  ~ShortcutRecorder() override;

  // The caps shown, in order ("Ctrl", "Alt", "K").
  std::vector<QString> caps() const;
  QString detailText() const;
  bool isRecording() const { return controller_.isRecording(); }
  void beginRecording();
  // Reads the controller again.
  void refresh();

 private:
  friend class KeyCapsField;
  void keyPressed(QKeyEvent* event);
  void focusLost();

  app::ShortcutController& controller_;
  KeyCapsField* field_;
  QLabel* detail_;
};

// The caps of a shortcut label in either of the seam's styles: "Ctrl+Alt+K" and "⌃⌥K" both give
// the modifiers, then the key (a single letter in capitals, as printed on keys).
std::vector<std::string> keyCapsOf(const std::string& label);

}  // namespace quillo::ui
