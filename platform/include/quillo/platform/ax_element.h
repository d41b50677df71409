#pragma once

#include <cstddef>
#include <functional>
#include <memory>

namespace quillo::platform {

// A user-interface element of another application, as the accessibility service hands it out
// (a menu item, a settings row, a window). Copies share the element. Equality and hashing are
// the service's own identity: two handles to the same element are equal.
// Thread-safety: the handle itself is immutable; reading through it is the Accessibility seam's job.
class AXElement {
 public:
  // What an implementation of the seam keeps for one element.
  class Handle {
   public:
    virtual ~Handle() = default;
    virtual bool isSame(const Handle& other) const = 0;
    virtual std::size_t identityHash() const = 0;
  };

  explicit AXElement(std::shared_ptr<const Handle> handle);

  const Handle& handle() const noexcept { return *handle_; }
  std::size_t hash() const { return handle_->identityHash(); }

  friend bool operator==(const AXElement& a, const AXElement& b) {
    return a.handle_ == b.handle_ || a.handle_->isSame(*b.handle_);
  }

 private:
  std::shared_ptr<const Handle> handle_;
};

}  // namespace quillo::platform

template <>
struct std::hash<quillo::platform::AXElement> {
  std::size_t operator()(const quillo::platform::AXElement& element) const { return element.hash(); }
};
