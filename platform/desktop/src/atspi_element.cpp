#include "atspi_element.h"

#include "atspi_events.h"

namespace quillo::platform::desktop::atspi {

Connection::Connection(std::unique_ptr<Bus> bus, std::chrono::milliseconds memory)
    : bus_(std::move(bus)),
      memory_(memory),
      listener_(
          std::make_unique<ChangeListener>(*bus_, [this](const QString& service) { changed(service); })) {}

Connection::~Connection() = default;

std::uint64_t Connection::generation(const QString& service) {
  std::lock_guard lock(mutex_);
  return generations_[service];
}

std::optional<Known> Connection::known(const ObjectRef& object) {
  std::lock_guard lock(mutex_);
  expire(object.service);
  const auto found = known_.find({object.service, object.path});
  if (found == known_.end()) return std::nullopt;
  return found->second;
}

bool Connection::knows(const ObjectRef& object) {
  std::lock_guard lock(mutex_);
  expire(object.service);
  return known_.contains({object.service, object.path});
}

void Connection::remember(const ObjectRef& object, Known known, std::uint64_t readInGeneration) {
  std::lock_guard lock(mutex_);
  if (generations_[object.service] != readInGeneration) return;
  readSince_.try_emplace(object.service, std::chrono::steady_clock::now());
  known_[{object.service, object.path}] = std::move(known);
}

std::optional<ObjectRef> Connection::menuBar(const QString& service) {
  std::lock_guard lock(mutex_);
  expire(service);
  const auto found = menuBars_.find(service);
  if (found == menuBars_.end()) return std::nullopt;
  return found->second;
}

void Connection::rememberMenuBar(const ObjectRef& bar, std::uint64_t readInGeneration) {
  std::lock_guard lock(mutex_);
  if (generations_[bar.service] != readInGeneration) return;
  readSince_.try_emplace(bar.service, std::chrono::steady_clock::now());
  menuBars_[bar.service] = bar;
}

void Connection::changed(const QString& service) {
  std::lock_guard lock(mutex_);
  forget(service);
}

void Connection::expire(const QString& service) {
  const auto since = readSince_.find(service);
  if (since != readSince_.end() && std::chrono::steady_clock::now() - since->second > memory_)
    forget(service);
}

void Connection::forget(const QString& service) {
  ++generations_[service];
  readSince_.erase(service);
  menuBars_.erase(service);
  for (auto entry = known_.lower_bound({service, QString()});
       entry != known_.end() && entry->first.first == service;)
    entry = known_.erase(entry);
}

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
