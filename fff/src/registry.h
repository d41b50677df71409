#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "instance.h"
#include "results.h"

namespace fff {

// Every live instance and search result handed across the C boundary, so that a stale or
// foreign handle is recognised instead of followed. Instance handles are counters, never
// reused; result handles are the addresses of their headers. Safe from any thread.
class Registry {
 public:
  static Registry& global();

  FffInstance* addInstance(std::shared_ptr<Instance> instance);
  std::shared_ptr<Instance> instance(const FffInstance* handle) const;
  std::shared_ptr<Instance> takeInstance(const FffInstance* handle);

  template <class Header>
  Header* addResults(std::unique_ptr<TypedResults<Header>> results) {
    Header* header = &results->header;
    std::lock_guard lock(mutex_);
    results_.emplace(header, std::move(results));
    return header;
  }
  // Whether `header` is a live result of this type; only then may it be read.
  template <class Header>
  bool holds(const Header* header) const {
    std::lock_guard lock(mutex_);
    const auto it = results_.find(header);
    return it != results_.end() && dynamic_cast<const TypedResults<Header>*>(it->second.get()) != nullptr;
  }
  template <class Header>
  void freeResults(const Header* header) {
    std::unique_ptr<OwnedResults> doomed;
    std::lock_guard lock(mutex_);
    const auto it = results_.find(header);
    if (it == results_.end() || dynamic_cast<const TypedResults<Header>*>(it->second.get()) == nullptr)
      return;
    doomed = std::move(it->second);
    results_.erase(it);
  }

 private:
  mutable std::mutex mutex_;
  std::uintptr_t nextInstance_ = 0x1000;
  std::unordered_map<std::uintptr_t, std::shared_ptr<Instance>> instances_;
  std::unordered_map<const void*, std::unique_ptr<OwnedResults>> results_;
};

}  // namespace fff
