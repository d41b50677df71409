#include "registry.h"

namespace fff {

Registry& Registry::global() {
  // Never destroyed: a caller may still hold handles while the process exits.
  static auto* registry = new Registry;
  return *registry;
}

FffInstance* Registry::addInstance(std::shared_ptr<Instance> instance) {
  std::lock_guard lock(mutex_);
  const std::uintptr_t id = nextId();
  instances_.emplace(id, std::move(instance));
  return reinterpret_cast<FffInstance*>(id);
}

std::shared_ptr<Instance> Registry::instance(const FffInstance* handle) const {
  std::lock_guard lock(mutex_);
  const auto it = instances_.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == instances_.end() ? nullptr : it->second;
}

std::shared_ptr<Instance> Registry::takeInstance(const FffInstance* handle) {
  std::lock_guard lock(mutex_);
  const auto it = instances_.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == instances_.end()) return nullptr;
  auto instance = std::move(it->second);
  instances_.erase(it);
  return instance;
}

}  // namespace fff
