#include "file_search_service.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <algorithm>

#include "quillo/app/file_search_answer.h"

namespace quillo::ui {
namespace {

// As many rows as anyone reads from a command line; the searches' cost grows with it.
constexpr int kMostRows = 1000;

}  // namespace

FileSearchService::~FileSearchService() {
  if (published_) QDBusConnection::sessionBus().unregisterObject(objectPath);
}

bool FileSearchService::publish() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  published_ = bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots);
  return published_;
}

QString FileSearchService::SearchFiles(const QString& query, int limit) {
  std::shared_ptr<core::FileIndex> index = index_();
  if (!index) {
    sendErrorReply(notReady, QStringLiteral("The file index is not ready."));
    return {};
  }
  setDelayedReply(true);
  runAside_([index = std::move(index), request = message(), bus = connection(), query = query.toStdString(),
             limit = std::clamp(limit, 1, kMostRows)]() mutable {
    QDBusMessage reply;
    try {
      if (!index->initialScanFinished())
        reply = request.createErrorReply(notReady, QStringLiteral("The file index is still being made."));
      else
        reply = request.createReply(
            QString::fromStdString(app::fileSearchAnswerJson(app::answerFileSearch(*index, query, limit))));
    } catch (const std::exception& error) {
      reply = request.createErrorReply(QDBusError::Failed, QString::fromUtf8(error.what()));
    }
    bus.send(reply);
  });
  return {};
}

}  // namespace quillo::ui
