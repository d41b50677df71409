#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

#include "quillo/core/commands/command.h"

namespace quillo::ui {

// Icons shipped with the program, so that a row has an icon whatever theme is installed.
enum class BundledIcon { application, action, settings, menu, web, file, folder, clipboard };

// An icon and how to draw it: symbolic icons are shapes drawn in the colour of the text beside
// them (so they suit light, dark and the selection alike), others are pictures drawn as they are.
struct RowIcon {
  QIcon icon;
  bool symbolic = false;
};

// The icon of a row's command: an application's own icon from its desktop entry and the icon
// theme; the file type's icon for files and folders; a symbolic icon of the theme for actions,
// settings, menu commands, web searches and clipboard items. Falls back to a bundled icon, so
// the icon is never null. Main thread only (the icons of applications are cached).
RowIcon commandIcon(const core::Command& command);
// An icon given by a desktop entry: a theme name or an absolute path; the bundled application
// icon when neither gives one.
RowIcon namedIcon(const QString& nameOrPath);
RowIcon bundledIcon(BundledIcon which);

// The icon at `size` logical pixels for a screen of `devicePixelRatio`, a symbolic one in `tint`.
QPixmap iconPixmap(const RowIcon& icon, int size, qreal devicePixelRatio, const QColor& tint);

}  // namespace quillo::ui
