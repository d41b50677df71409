#include "clipboard_preview.h"

#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace quillo::ui {
namespace {

QString fileList(const std::vector<base::Url>& urls) {
  QStringList lines;
  for (const auto& url : urls) {
    const auto path = url.filePath();
    lines << QString::fromStdString(path ? *path : url.text);
  }
  return lines.join(QLatin1Char('\n'));
}

}  // namespace

ClipboardPreview::ClipboardPreview(QWidget* parent)
    : QWidget(parent),
      heading_(new QLabel(this)),
      pages_(new QStackedWidget(this)),
      text_(new QPlainTextEdit(pages_)),
      image_(new QLabel(pages_)),
      message_(new QLabel(pages_)),
      note_(new QLabel(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  QFont bold = heading_->font();
  bold.setBold(true);
  heading_->setFont(bold);
  text_->setReadOnly(true);
  text_->setFocusPolicy(Qt::NoFocus);
  text_->setFrameShape(QFrame::NoFrame);
  text_->setAccessibleName(QStringLiteral("Preview"));
  image_->setAlignment(Qt::AlignCenter);
  image_->setMinimumSize(1, 1);
  image_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  message_->setWordWrap(true);
  message_->setAlignment(Qt::AlignCenter);
  message_->setForegroundRole(QPalette::PlaceholderText);
  note_->setWordWrap(true);
  note_->setForegroundRole(QPalette::PlaceholderText);
  pages_->addWidget(text_);
  pages_->addWidget(image_);
  pages_->addWidget(message_);
  layout->addWidget(heading_);
  layout->addWidget(pages_, 1);
  layout->addWidget(note_);
  hide();
}

void ClipboardPreview::update(const app::ClipboardModelState& state) {
  if (state.cleanPreview) {
    showText(QStringLiteral("Clean Text"), QString::fromStdString(*state.cleanPreview),
             QStringLiteral("The original stays in history."));
  } else if (!state.isPreviewing) {
    hide();
    return;
  } else if (state.previewText) {
    showText(QStringLiteral("Preview"), QString::fromStdString(*state.previewText), {});
  } else if (!state.previewImage.empty()) {
    const QByteArray bytes(reinterpret_cast<const char*>(state.previewImage.data()),
                           static_cast<qsizetype>(state.previewImage.size()));
    if (bytes != shownImage_) {
      shownImage_ = bytes;
      QPixmap pixmap;
      pixmap.loadFromData(bytes);
      image_->setPixmap(pixmap.isNull()
                            ? QPixmap()
                            : pixmap.scaled(QSize(360, 360), Qt::KeepAspectRatio, Qt::SmoothTransformation));
      image_->setAccessibleName(
          pixmap.isNull() ? QStringLiteral("Image")
                          : QStringLiteral("Image, %1 × %2").arg(pixmap.width()).arg(pixmap.height()));
      image_->setText(pixmap.isNull() ? QStringLiteral("This image cannot be shown.") : QString());
    }
    heading_->setText(QStringLiteral("Image"));
    note_->clear();
    pages_->setCurrentWidget(image_);
  } else if (!state.previewFileURLs.empty()) {
    showText(state.previewFileURLs.size() == 1 ? QStringLiteral("File") : QStringLiteral("Files"),
             fileList(state.previewFileURLs), {});
  } else {
    // The model leaves the text out for an entry that looks like a key or a token.
    showMessage(QStringLiteral("Preview"),
                QStringLiteral("This text looks like a password, key or token, so it is not shown."));
  }
  show();
}

QString ClipboardPreview::shownText() const {
  if (isHidden()) return {};
  if (pages_->currentWidget() == text_) return heading_->text() + QLatin1Char('\n') + text_->toPlainText();
  if (pages_->currentWidget() == image_) return image_->accessibleName();
  return heading_->text() + QLatin1Char('\n') + message_->text();
}

void ClipboardPreview::showText(const QString& heading, const QString& text, const QString& note) {
  heading_->setText(heading);
  if (text_->toPlainText() != text) text_->setPlainText(text);
  note_->setText(note);
  note_->setVisible(!note.isEmpty());
  pages_->setCurrentWidget(text_);
  show();
}

void ClipboardPreview::showMessage(const QString& heading, const QString& message) {
  heading_->setText(heading);
  message_->setText(message);
  note_->clear();
  note_->hide();
  pages_->setCurrentWidget(message_);
}

}  // namespace quillo::ui
