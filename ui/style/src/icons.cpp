#include "quillo/ui/style/icons.h"

#include <glib.h>

#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QPainter>
#include <memory>

#include "quillo/core/commands/app_launch.h"

// The bundled icons live in the library's resources; a static library registers them explicitly.
static void registerBundledIcons() {
  Q_INIT_RESOURCE(icons);
}

namespace quillo::ui {
namespace {

QString bundledPath(BundledIcon which) {
  switch (which) {
    case BundledIcon::application:
      return ":/quillo/icons/application.svg";
    case BundledIcon::action:
      return ":/quillo/icons/action.svg";
    case BundledIcon::settings:
      return ":/quillo/icons/settings.svg";
    case BundledIcon::menu:
      return ":/quillo/icons/menu.svg";
    case BundledIcon::web:
      return ":/quillo/icons/web.svg";
    case BundledIcon::file:
      return ":/quillo/icons/file.svg";
    case BundledIcon::folder:
      return ":/quillo/icons/folder.svg";
    case BundledIcon::clipboard:
      return ":/quillo/icons/clipboard.svg";
  }
  return {};
}

// A symbolic icon of the theme, else the bundled one.
RowIcon symbolic(const char* themeName, BundledIcon fallback) {
  if (QIcon::hasThemeIcon(themeName)) return {QIcon::fromTheme(themeName), true};
  return bundledIcon(fallback);
}

// The Icon key of a desktop entry, empty when it has none.
QString desktopEntryIcon(const std::string& path) {
  std::unique_ptr<GKeyFile, decltype(&g_key_file_free)> file(g_key_file_new(), &g_key_file_free);
  if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr)) return {};
  std::unique_ptr<gchar, decltype(&g_free)> icon(
      g_key_file_get_string(file.get(), G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_ICON, nullptr),
      &g_free);
  return icon ? QString::fromUtf8(icon.get()) : QString();
}

RowIcon applicationIcon(const core::target::App& app) {
  static QHash<QString, RowIcon> cache;
  const auto launch = core::appLaunch(app);
  if (!launch) return bundledIcon(BundledIcon::application);
  const QString path = QString::fromStdString(launch->application);
  if (const auto found = cache.find(path); found != cache.end()) return *found;
  const RowIcon icon = path.endsWith(".desktop") ? namedIcon(desktopEntryIcon(launch->application))
                                                 : bundledIcon(BundledIcon::application);
  cache.insert(path, icon);
  return icon;
}

RowIcon fileIcon(const core::Command& command, bool folder) {
  const BundledIcon fallback = folder ? BundledIcon::folder : BundledIcon::file;
  const auto* file = std::get_if<core::target::File>(&command.target);
  if (!file) return bundledIcon(fallback);
  static QMimeDatabase types;
  const QString path = QString::fromStdString(file->url.filePath().value_or(""));
  const QMimeType type = folder ? types.mimeTypeForName("inode/directory")
                                : types.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
  for (const QString& name : {type.iconName(), type.genericIconName()}) {
    if (QIcon::hasThemeIcon(name)) return {QIcon::fromTheme(name), false};
  }
  return bundledIcon(fallback);
}

}  // namespace

RowIcon bundledIcon(BundledIcon which) {
  static const bool registered = (registerBundledIcons(), true);
  (void)registered;
  return {QIcon(bundledPath(which)), true};
}

RowIcon namedIcon(const QString& nameOrPath) {
  if (nameOrPath.startsWith('/')) {
    if (QFileInfo::exists(nameOrPath)) return {QIcon(nameOrPath), false};
  } else if (!nameOrPath.isEmpty() && QIcon::hasThemeIcon(nameOrPath)) {
    return {QIcon::fromTheme(nameOrPath), false};
  }
  return bundledIcon(BundledIcon::application);
}

RowIcon commandIcon(const core::Command& command) {
  using Kind = core::Command::Kind;
  switch (command.kind) {
    case Kind::app:
      if (const auto* app = std::get_if<core::target::App>(&command.target)) return applicationIcon(*app);
      return bundledIcon(BundledIcon::application);
    case Kind::file:
      return fileIcon(command, false);
    case Kind::folder:
      return fileIcon(command, true);
    case Kind::setting:
      return symbolic("preferences-system-symbolic", BundledIcon::settings);
    case Kind::settingRow:
      return symbolic("emblem-system-symbolic", BundledIcon::settings);
    case Kind::menuItem:
      return symbolic("open-menu-symbolic", BundledIcon::menu);
    case Kind::webSearch:
      return symbolic("web-browser-symbolic", BundledIcon::web);
    case Kind::clipboard:
      return symbolic("edit-paste-symbolic", BundledIcon::clipboard);
    case Kind::action:
    case Kind::capability:
      return symbolic("system-run-symbolic", BundledIcon::action);
  }
  return bundledIcon(BundledIcon::action);
}

QPixmap iconPixmap(const RowIcon& icon, int size, qreal devicePixelRatio, const QColor& tint) {
  const int pixels = qRound(size * devicePixelRatio);
  QPixmap pixmap = icon.icon.pixmap(QSize(pixels, pixels));
  if (pixmap.isNull()) return pixmap;
  if (icon.symbolic) {
    // Keep the shape, take the colour of the text around it.
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), tint);
  }
  pixmap.setDevicePixelRatio(devicePixelRatio);
  return pixmap;
}

}  // namespace quillo::ui
