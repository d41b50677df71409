#include "quillo/ui/panel/file_preview.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImageReader>
#include <QMimeDatabase>
#include <QStringDecoder>
#include <QVBoxLayout>

#include "quillo/ui/panel/panel_texts.h"
#include "quillo/ui/style/icons.h"

namespace quillo::ui {
namespace {

constexpr qint64 kTextBytes = 2048;
constexpr int kTextLines = 12;
const QSize kPictureSize(220, 160);

QString firstLines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8(file.read(kTextBytes));
  return text.split('\n').mid(0, kTextLines).join('\n');
}

}  // namespace

FilePreview::FilePreview(QWidget* parent)
    : QWidget(parent),
      picture_(new QLabel(this)),
      text_(new QLabel(this)),
      name_(new QLabel(this)),
      facts_(new QLabel(this)) {
  setFixedWidth(width);
  picture_->setAlignment(Qt::AlignCenter);
  picture_->setMinimumHeight(kPictureSize.height());
  QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  mono.setPointSizeF(font().pointSizeF() * 0.85);
  text_->setFont(mono);
  text_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  text_->setTextFormat(Qt::PlainText);
  text_->setBackgroundRole(QPalette::AlternateBase);
  text_->setAutoFillBackground(true);
  text_->setMargin(8);
  text_->setMinimumHeight(kPictureSize.height());
  name_->setWordWrap(true);
  name_->setAlignment(Qt::AlignHCenter);
  QFont bold = font();
  bold.setWeight(QFont::DemiBold);
  name_->setFont(bold);
  facts_->setWordWrap(true);
  facts_->setAlignment(Qt::AlignHCenter);
  facts_->setForegroundRole(QPalette::PlaceholderText);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->addWidget(picture_);
  layout->addWidget(text_);
  layout->addWidget(name_);
  layout->addWidget(facts_);
  layout->addStretch(1);
}

bool FilePreview::show(const core::ResultRow& row) {
  const auto* file = std::get_if<core::target::File>(&row.command.target);
  if (!row.command.isFileResult() || !file) return false;
  const std::string path = file->url.filePath().value_or("");
  if (path == shown_) return true;
  shown_ = path;
  const QString qpath = QString::fromStdString(path);
  name_->setText(QFileInfo(qpath).fileName());
  facts_->setText(detailLine(row));

  static QMimeDatabase types;
  const QMimeType type = types.mimeTypeForFile(qpath);
  picture_->clear();
  text_->clear();
  text_->hide();
  picture_->show();
  if (QImageReader reader(qpath); row.command.kind == core::Command::Kind::file && reader.canRead()) {
    // Decoded straight at the size shown, so a large photo costs little.
    QSize size = reader.size();
    if (size.isValid()) reader.setScaledSize(size.scaled(kPictureSize, Qt::KeepAspectRatio));
    picture_->setPixmap(QPixmap::fromImage(reader.read()));
  } else if (row.command.kind == core::Command::Kind::file && type.inherits("text/plain")) {
    picture_->hide();
    text_->setText(firstLines(qpath));
    text_->show();
  } else {
    picture_->setPixmap(
        iconPixmap(commandIcon(row.command), 96, devicePixelRatioF(), palette().color(QPalette::Text)));
  }
  return true;
}

}  // namespace quillo::ui
