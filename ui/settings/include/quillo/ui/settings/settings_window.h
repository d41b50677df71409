#pragma once

#include <QWidget>
#include <memory>

#include "quillo/ui/settings/settings_context.h"

class QListWidget;
class QStackedWidget;

namespace quillo::ui {

class GeneralPage;
class FoldersPage;
class ClipboardPage;
class PrivacyPage;
class DiagnosticsPage;
class AboutPage;

// The settings: a sidebar of pages in a normal top-level window. Each page reads its models when
// it is shown and writes every change through at once. Main thread only.
class SettingsWindow : public QWidget {
  Q_OBJECT

 public:
  enum class Page { general, searchFolders, clipboard, privacy, diagnostics, about };

  explicit SettingsWindow(SettingsContext context, QWidget* parent = nullptr);
  ~SettingsWindow() override;

  void showPage(Page page);
  Page currentPage() const;
  // Reads every model again. The program calls it when a model changed outside the window (the
  // search folders after the folder panel closed, a shortcut restored); the window itself does
  // after its own changes and whenever it becomes active.
  void refresh();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  QWidget* pageWidget(Page page) const;

  SettingsContext context_;
  QListWidget* sidebar_;
  QStackedWidget* pages_;
  GeneralPage* general_;
  FoldersPage* folders_;
  ClipboardPage* clipboard_;
  PrivacyPage* privacy_;
  DiagnosticsPage* diagnostics_;
  AboutPage* about_;
};

}  // namespace quillo::ui
