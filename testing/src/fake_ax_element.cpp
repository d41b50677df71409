#include "quillo/testing/fake_ax_element.h"

#include <functional>
#include <memory>

namespace quillo::testing {
namespace {

class NamedHandle final : public platform::AXElement::Handle {
 public:
  explicit NamedHandle(std::string name) : name_(std::move(name)) {}

  bool isSame(const Handle& other) const override {
    const auto* named = dynamic_cast<const NamedHandle*>(&other);
    return named != nullptr && named->name_ == name_;
  }
  std::size_t identityHash() const override { return std::hash<std::string>{}(name_); }

 private:
  std::string name_;
};

}  // namespace

platform::AXElement fakeElement(std::string name) {
  return platform::AXElement(std::make_shared<NamedHandle>(std::move(name)));
}

}  // namespace quillo::testing
