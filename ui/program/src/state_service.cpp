#include "state_service.h"

#include <QDBusConnection>

namespace quillo::ui {

StateService::~StateService() {
  if (published_) QDBusConnection::sessionBus().unregisterObject(objectPath);
}

bool StateService::publish() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  published_ = bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots);
  return published_;
}

QString StateService::State() const {
  return QString::fromStdString(state_());
}

}  // namespace quillo::ui
