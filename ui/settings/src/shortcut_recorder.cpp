#include "quillo/ui/settings/shortcut_recorder.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <array>
#include <string_view>

#include "key_caps_field.h"
#include "quillo/ui/style/qt_key_event.h"

namespace quillo::ui {

namespace {

bool isModifierKey(int key) {
  switch (key) {
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
      return true;
    default:
      return false;
  }
}

// The modifiers held, named as the global shortcut's label names them on Linux.
std::vector<QString> heldModifiers(Qt::KeyboardModifiers modifiers) {
  const app::KeyModifiers held = keyModifiersFrom(modifiers);
  std::vector<QString> names;
  if (held.control) names.push_back(QStringLiteral("Ctrl"));
  if (held.option) names.push_back(QStringLiteral("Alt"));
  if (held.shift) names.push_back(QStringLiteral("Shift"));
  if (held.command) names.push_back(QStringLiteral("Super"));
  return names;
}

}  // namespace

std::vector<std::string> keyCapsOf(const std::string& label) {
  constexpr std::array<std::string_view, 4> words{"Ctrl+", "Alt+", "Shift+", "Super+"};
  constexpr std::array<std::string_view, 4> symbols{"⌃", "⌥", "⇧", "⌘"};
  std::vector<std::string> caps;
  std::string_view rest = label;
  for (bool found = true; found && !rest.empty();) {
    found = false;
    for (const std::string_view word : words) {
      // A lone "+" after the modifiers is the key itself.
      if (rest.size() > word.size() && rest.starts_with(word)) {
        caps.emplace_back(word.substr(0, word.size() - 1));
        rest.remove_prefix(word.size());
        found = true;
      }
    }
    for (const std::string_view symbol : symbols) {
      if (rest.size() > symbol.size() && rest.starts_with(symbol)) {
        caps.emplace_back(symbol);
        rest.remove_prefix(symbol.size());
        found = true;
      }
    }
  }
  std::string key(rest);
  if (key.size() == 1 && key[0] >= 'a' && key[0] <= 'z') key[0] = static_cast<char>(key[0] - 'a' + 'A');
  if (!key.empty()) caps.push_back(key);
  return caps;
}

ShortcutRecorder::ShortcutRecorder(app::ShortcutController& controller, const QString& name, QWidget* parent)
    : QWidget(parent), controller_(controller), field_(new KeyCapsField(*this)), detail_(new QLabel(this)) {
  setAccessibleName(name);
  field_->setAccessibleName(name);
  field_->setObjectName(QStringLiteral("keys"));
  detail_->setWordWrap(true);
  detail_->setForegroundRole(QPalette::PlaceholderText);
  detail_->setObjectName(QStringLiteral("detail"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  layout->addWidget(field_, 0, Qt::AlignLeft);
  layout->addWidget(detail_);
  controller_.setObserver([this] { refresh(); });
  refresh();
}

ShortcutRecorder::~ShortcutRecorder() {
  controller_.setObserver({});
  // A window closed while recording leaves the shortcut registered, not released.
  if (controller_.isRecording()) {
    controller_.stopRecording();
    controller_.restore();
  }
}

std::vector<QString> ShortcutRecorder::caps() const {
  return field_->caps();
}

QString ShortcutRecorder::detailText() const {
  return detail_->text();
}

void ShortcutRecorder::beginRecording() {
  field_->setFocus(Qt::OtherFocusReason);
  controller_.beginRecording();
}

void ShortcutRecorder::refresh() {
  std::vector<QString> caps;
  if (!controller_.isRecording()) {
    for (const std::string& cap : keyCapsOf(controller_.label()))
      caps.push_back(QString::fromStdString(cap));
  }
  field_->setCaps(std::move(caps), controller_.isRecording());
  const QString detail = QString::fromStdString(controller_.detail());
  detail_->setText(detail);
  field_->setAccessibleDescription(detail);
  QStringList spoken;
  for (const QString& cap : field_->caps())
    spoken << cap;
  field_->setAccessibleName(accessibleName() + QStringLiteral(": ") +
                            (controller_.isRecording() ? tr("recording") : spoken.join(QLatin1Char('+'))));
}

void ShortcutRecorder::keyPressed(QKeyEvent* event) {
  if (isModifierKey(event->key())) {
    field_->setHeldModifiers(heldModifiers(event->modifiers()));
    return;
  }
  field_->setHeldModifiers({});
  controller_.recordKeyDown(keyEventFrom(*event), window()->isActiveWindow());
}

void ShortcutRecorder::focusLost() {
  if (!controller_.isRecording()) return;
  field_->setHeldModifiers({});
  controller_.stopRecording();
  controller_.restore();
}

}  // namespace quillo::ui
