#include <QFileDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "quillo/ui/settings/qt_folder_picker.h"
#include "settings_fixture.h"

namespace quillo::ui {
namespace {

// The settings window's search folders over the real folder panel.
struct QtFolderPickerTest : SettingsTest {
  QtFolderPicker picker;

  void SetUp() override {
    std::filesystem::create_directories(folder / "home" / "Projects");
    open(picker);
    window->showPage(SettingsWindow::Page::searchFolders);
    click(find<QPushButton>(QStringLiteral("addFolders")));
    QTRY_VERIFY(picker.dialog() != nullptr && picker.dialog()->isVisible());
  }

  void choose(const std::filesystem::path& path) {
    picker.dialog()->setDirectory(QString::fromStdString(path.parent_path().string()));
    picker.dialog()->selectFile(QString::fromStdString(path.string()));
    QMetaObject::invokeMethod(picker.dialog(), "accept", Qt::QueuedConnection);
  }
};

TEST_F(QtFolderPickerTest, OpensForFoldersWithTheRequestsTitleInTheHomeFolder) {
  QFileDialog* dialog = picker.dialog();
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Choose Search Folders"));
  EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
  EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
  EXPECT_EQ(dialog->directory().absolutePath(), QString::fromStdString((folder / "home").string()));
  EXPECT_TRUE(folders->isChoosingFileFolders());
}

TEST_F(QtFolderPickerTest, ARefusedFolderShowsWhyAndThePanelStaysOpen) {
  choose(folder / "home");
  QMessageBox* refusal = nullptr;
  QTRY_VERIFY((refusal = picker.dialog()->findChild<QMessageBox*>(QStringLiteral("folderRefusal"))) !=
              nullptr);
  EXPECT_TRUE(refusal->text().startsWith(QStringLiteral("Choose individual folders inside your home folder")))
      << refusal->text().toStdString();
  EXPECT_TRUE(picker.dialog()->isVisible());
  EXPECT_TRUE(preferences.fileSearchPaths().empty());
}

TEST_F(QtFolderPickerTest, AnAcceptedFolderIsListed) {
  choose(folder / "home" / "Projects");
  QTRY_VERIFY(!folders->isChoosingFileFolders());
  EXPECT_EQ(preferences.fileSearchPaths(),
            (std::vector<std::string>{(folder / "home" / "Projects").string()}));
  window->refresh();
  auto* list = find<QListWidget>(QStringLiteral("folders"));
  ASSERT_EQ(list->count(), 1);
  EXPECT_TRUE(
      list->item(0)->text().startsWith(QString::fromStdString((folder / "home" / "Projects").string())));
}

TEST_F(QtFolderPickerTest, CancellingChangesNothing) {
  picker.dialog()->reject();
  QTRY_VERIFY(!folders->isChoosingFileFolders());
  EXPECT_TRUE(preferences.fileSearchPaths().empty());
}

}  // namespace
}  // namespace quillo::ui
