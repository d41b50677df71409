#include "atspi_element.h"

namespace quillo::platform::desktop::atspi {

std::optional<std::uint32_t> Connection::role(const ObjectRef& object, QDBusPendingCall* pending,
                                              int timeout) {
  const Key key{object.service, object.path};
  {
    std::lock_guard lock(mutex_);
    if (const auto found = roles_.find(key); found != roles_.end()) return found->second;
  }
  const auto role =
      unsignedReply(pending ? *pending : bus_->call(object, kAccessible, "GetRole", {}, timeout));
  if (role) {
    std::lock_guard lock(mutex_);
    roles_[key] = *role;
  }
  return role;
}

bool Connection::knowsRole(const ObjectRef& object) {
  std::lock_guard lock(mutex_);
  return roles_.contains({object.service, object.path});
}

std::optional<QString> Connection::applicationName(const QString& service, int timeout) {
  {
    std::lock_guard lock(mutex_);
    if (const auto found = applicationNames_.find(service); found != applicationNames_.end())
      return found->second;
  }
  const auto name = propertyReply(bus_->property({service, kApplicationRoot}, kAccessible, "Name", timeout));
  if (!name) return std::nullopt;
  std::lock_guard lock(mutex_);
  return applicationNames_[service] = name->toString();
}

}  // namespace quillo::platform::desktop::atspi
