#include "quillo/app/shell/launcher_routing.h"

#include <optional>
#include <utility>

namespace quillo::app {
namespace {

template <class Callback, class... Arguments>
bool call(const Callback& callback, Arguments&&... arguments) {
  return callback && callback(std::forward<Arguments>(arguments)...);
}

// Command in the panel's convention, and whether it is held with nothing but `shift`.
bool onlyCommand(const KeyModifiers& held, const LauncherPanelState& panel, bool shift) {
  if (held.shift != shift || held.option) return false;
  return panel.commandIsControl ? held.control && !held.command : held.command && !held.control;
}

bool onlyControl(const KeyModifiers& held) {
  return held.control && !held.command && !held.option && !held.shift;
}

bool onlyOption(const KeyModifiers& held) {
  return held.option && !held.command && !held.control && !held.shift;
}

// A held Backspace that emptied the field does not go on to act on the model.
bool isEmptyFieldBackspace(const KeyEvent& event, const SearchFieldState& field) {
  return event.keyCode == KeyCode::backspace && event.modifiers.none() && !event.isRepeat &&
         field.isFirstResponder && field.isEmpty && !field.isComposing;
}

bool isCopyKey(const KeyEvent& event) {
  return event.charactersIgnoringModifiers == "c";
}

// Command-C alone with text selected in the field belongs to the field: it copies the text.
bool fieldCopiesText(const KeyEvent& event, const SearchFieldState& field, const LauncherPanelState& panel) {
  return isCopyKey(event) && onlyCommand(event.modifiers, panel, false) && field.hasSelectedText;
}

std::optional<Routing> routeCopy(const KeyEvent& event, const SearchFieldState& field,
                                 const LauncherPanelState& panel, const LauncherPanelCallbacks& callbacks) {
  const bool withShift = onlyCommand(event.modifiers, panel, true);
  if (!isCopyKey(event) || !(withShift || onlyCommand(event.modifiers, panel, false))) return std::nullopt;
  if (field.isComposing || fieldCopiesText(event, field, panel)) return std::nullopt;
  if (call(callbacks.onCopySelectedClipboard)) return Routing::consumed;
  const bool copied = withShift ? call(callbacks.onCopySelectedFilePath) : call(callbacks.onCopySelectedFile);
  return copied ? std::optional(Routing::consumed) : std::nullopt;
}

std::optional<int> previewDelta(const KeyEvent& event) {
  const auto& held = event.modifiers;
  // Also where Ctrl stands for Command: Ctrl+N and Ctrl+P keep their Emacs meaning.
  if (onlyControl(held)) {
    if (event.keyCode == KeyCode::n) return 1;
    if (event.keyCode == KeyCode::p) return -1;
  }
  if (!held.none()) return std::nullopt;
  switch (event.keyCode) {
    case KeyCode::downArrow:
      return 1;
    case KeyCode::upArrow:
      return -1;
    case KeyCode::pageDown:
      return 8;
    case KeyCode::pageUp:
      return -8;
    default:
      return std::nullopt;
  }
}

std::optional<Routing> routeFileKeys(const KeyEvent& event, const SearchFieldState& field,
                                     const LauncherPanelState& panel,
                                     const LauncherPanelCallbacks& callbacks) {
  const bool isReturn = event.keyCode == KeyCode::returnKey || event.keyCode == KeyCode::keypadEnter;
  if (isReturn && event.modifiers.none()) {
    if (call(callbacks.onFileReturn)) return Routing::consumed;
  } else if (isReturn && onlyOption(event.modifiers)) {
    if (call(callbacks.onShowFileInFinder)) return Routing::consumed;
  }
  if (!field.belongsToPanel) return std::nullopt;
  if (isReturn && onlyCommand(event.modifiers, panel, false)) {
    return call(callbacks.onPreviewRun) ? std::optional(Routing::consumed) : std::nullopt;
  }
  if (const auto delta = previewDelta(event); delta && call(callbacks.onPreviewMove, *delta)) {
    return Routing::consumed;
  }
  return std::nullopt;
}

}  // namespace

Routing routeLauncherKey(const KeyEvent& event, const SearchFieldState& field,
                         const LauncherPanelState& panel, const LauncherPanelCallbacks& callbacks) {
  if (event.type != KeyEvent::Type::keyDown) return Routing::normal;
  if (isEmptyFieldBackspace(event, field) && call(callbacks.onEmptyFieldBackspace)) return Routing::consumed;
  if (!panel.routesLauncherEvents || panel.isRequestingFileAccess) return Routing::normal;
  if (const auto routed = routeCopy(event, field, panel, callbacks)) return *routed;
  if (!field.isComposing && !fieldCopiesText(event, field, panel) && call(callbacks.onClipboardKey, event)) {
    return Routing::consumed;
  }
  if (const auto routed = routeFileKeys(event, field, panel, callbacks)) return *routed;
  return Routing::normal;
}

}  // namespace quillo::app
