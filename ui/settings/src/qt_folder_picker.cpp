#include "quillo/ui/settings/qt_folder_picker.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>

namespace quillo::ui {

namespace {

// QFileDialog that asks the validator before it lets a choice be confirmed.
class ValidatingFolderDialog : public QFileDialog {
 public:
  ValidatingFolderDialog(QWidget* parent, platform::FolderPicker::Validator validate)
      : QFileDialog(parent), validate_(std::move(validate)) {}

  void accept() override {
    if (validate_) {
      for (const QString& path : selectedFiles()) {
        if (auto refusal = validate_(path.toStdString())) return refuse(QString::fromStdString(*refusal));
      }
    }
    QFileDialog::accept();
  }

 private:
  void refuse(const QString& message) {
    // The desktop's own dialog has closed by now: it opens again once the refusal is read.
    const bool reopen = !isVisible();
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), message, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("folderRefusal"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (reopen) connect(box, &QMessageBox::finished, this, [this] { open(); });
    box->open();
  }

  platform::FolderPicker::Validator validate_;
};

}  // namespace

QtFolderPicker::QtFolderPicker(QWidget* fallbackParent) : fallbackParent_(fallbackParent) {}

QtFolderPicker::~QtFolderPicker() {
  if (dialog_) delete dialog_.data();
}

void QtFolderPicker::show(const Request& request, Done done) {
  QWidget* parent = QApplication::activeWindow() ? QApplication::activeWindow() : fallbackParent_.data();
  auto* dialog = new ValidatingFolderDialog(parent, request.validate);
  dialog_ = dialog;
  dialog->setObjectName(QStringLiteral("folderPicker"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(QString::fromStdString(request.title));
  dialog->setLabelText(QFileDialog::Accept, QString::fromStdString(request.prompt));
  dialog->setFileMode(QFileDialog::Directory);
  // Folders only, and no new folder made from the panel.
  dialog->setOptions(QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly);
  dialog->setDirectory(QString::fromStdString(request.startFolder));
  dialog->setAccessibleDescription(QString::fromStdString(request.message));
  if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout()); grid && !request.message.empty()) {
    auto* message = new QLabel(QString::fromStdString(request.message), dialog);
    message->setWordWrap(true);
    message->setObjectName(QStringLiteral("message"));
    grid->addWidget(message, grid->rowCount(), 0, 1, grid->columnCount());
  }
  if (request.allowsMultipleSelection) {
    // Qt's own dialog picks one folder unless its views allow more; the desktop's dialog decides
    // for itself.
    for (auto* view : dialog->findChildren<QAbstractItemView*>())
      view->setSelectionMode(QAbstractItemView::ExtendedSelection);
  }
  QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
    if (result != QDialog::Accepted) return done(std::nullopt);
    std::vector<std::string> paths;
    for (const QString& path : dialog->selectedFiles())
      paths.push_back(path.toStdString());
    done(std::move(paths));
  });
  dialog->open();
}

}  // namespace quillo::ui
