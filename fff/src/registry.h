#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "instance.h"
#include "results.h"

namespace fff {

// Every live instance and search result handed across the C boundary, so that a stale or
// foreign handle is recognised instead of followed. Handles of both kinds are numbers from one
// counter, never reused: a result freed twice cannot hit a newer result, and a result passed as
// an instance (or the reverse) is refused. Safe from any thread.
class Registry {
 public:
  static Registry& global();

  FffInstance* addInstance(std::shared_ptr<Instance> instance);
  std::shared_ptr<Instance> instance(const FffInstance* handle) const;
  std::shared_ptr<Instance> takeInstance(const FffInstance* handle);

  template <class Handle>
  Handle* addResults(std::unique_ptr<TypedResults<Handle>> results) {
    std::lock_guard lock(mutex_);
    const std::uintptr_t id = nextId();
    results_.emplace(id, std::move(results));
    return reinterpret_cast<Handle*>(id);
  }
  // Reads a live result of this kind under the registry's lock; `read` gets null for anything
  // else. Items stay where they are until the result is freed, so pointers to them may leave.
  template <class Handle, class Read>
  decltype(auto) withResults(const Handle* handle, Read&& read) const {
    std::lock_guard lock(mutex_);
    const auto it = results_.find(reinterpret_cast<std::uintptr_t>(handle));
    const OwnedResults* found = it == results_.end() ? nullptr : it->second.get();
    return read(dynamic_cast<const TypedResults<Handle>*>(found));
  }
  template <class Handle>
  void freeResults(const Handle* handle) {
    std::unique_ptr<OwnedResults> doomed;  // released after the lock
    std::lock_guard lock(mutex_);
    const auto it = results_.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == results_.end() || dynamic_cast<const TypedResults<Handle>*>(it->second.get()) == nullptr)
      return;
    doomed = std::move(it->second);
    results_.erase(it);
  }

 private:
  // Multiples of 16 from 4096 on: never null, never a small integer a caller might pass.
  std::uintptr_t nextId() {
    const std::uintptr_t id = next_;
    next_ += 0x10;
    return id;
  }

  mutable std::mutex mutex_;
  std::uintptr_t next_ = 0x1000;
  std::unordered_map<std::uintptr_t, std::shared_ptr<Instance>> instances_;
  std::unordered_map<std::uintptr_t, std::unique_ptr<OwnedResults>> results_;
};

}  // namespace fff
