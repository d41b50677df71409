#include "quillo/testing/fake_accessibility.h"

#include <algorithm>
#include <stdexcept>

namespace quillo::testing {

using platform::AttributeValue;
using platform::AXElement;
using Lock = std::lock_guard<std::mutex>;

FakeAccessibility::FakeAccessibility(std::string_view json, platform::ProcessID pid)
    : tree_(platform::posix::ElementTree::parse(json)), pid_(pid) {}

void FakeAccessibility::setTrusted(bool trusted) {
  const Lock lock(mutex_);
  trusted_ = trusted;
}

void FakeAccessibility::setResponseDelay(Seconds delay) {
  const Lock lock(mutex_);
  delay_ = delay;
}

void FakeAccessibility::setBatchMode(BatchMode mode) {
  const Lock lock(mutex_);
  batchMode_ = mode;
}

void FakeAccessibility::setActionsSucceed(bool succeed) {
  const Lock lock(mutex_);
  actionsSucceed_ = succeed;
}

void FakeAccessibility::setWritesSucceed(bool succeed) {
  const Lock lock(mutex_);
  writesSucceed_ = succeed;
}

void FakeAccessibility::onSet(SetHook hook) {
  const Lock lock(mutex_);
  hook_ = std::move(hook);
}

void FakeAccessibility::change(const AXElement& element, std::string name, Value value) {
  const Lock lock(mutex_);
  tree_.set(tree_.node(element).value(), std::move(name), std::move(value));
}

AXElement FakeAccessibility::find(std::string_view attribute, std::string_view text) const {
  const Lock lock(mutex_);
  for (std::size_t node = 0; node < tree_.size(); ++node) {
    const auto* value = std::get_if<std::string>(tree_.find(node, attribute));
    if (value != nullptr && *value == text) return tree_.element(node);
  }
  throw std::out_of_range("no element whose " + std::string(attribute) + " is '" + std::string(text) + "'");
}

AXElement FakeAccessibility::application() const {
  const Lock lock(mutex_);
  return tree_.element(tree_.root());
}

std::optional<AttributeValue> FakeAccessibility::peek(const AXElement& element, std::string_view name) const {
  const Lock lock(mutex_);
  return tree_.read(tree_.node(element).value(), name);
}

std::vector<FakeAccessibility::Action> FakeAccessibility::actions() const {
  const Lock lock(mutex_);
  return actions_;
}

std::vector<FakeAccessibility::Write> FakeAccessibility::writes() const {
  const Lock lock(mutex_);
  return writes_;
}

FakeAccessibility::Seconds FakeAccessibility::messagingTimeout() const {
  const Lock lock(mutex_);
  return timeout_;
}

int FakeAccessibility::prompts() const {
  const Lock lock(mutex_);
  return prompts_;
}

std::size_t FakeAccessibility::singleReads() const {
  const Lock lock(mutex_);
  return singleReads_;
}

std::size_t FakeAccessibility::batchReads() const {
  const Lock lock(mutex_);
  return batchReads_;
}

FakeAccessibility::Seconds FakeAccessibility::waited() const {
  const Lock lock(mutex_);
  return waited_;
}

bool FakeAccessibility::answers() {
  waited_ += std::min(delay_, timeout_);
  return delay_ <= timeout_;
}

bool FakeAccessibility::isTrusted(TrustCheck check) {
  const Lock lock(mutex_);
  if (check == TrustCheck::prompt && !trusted_) ++prompts_;
  return trusted_;
}

void FakeAccessibility::setMessagingTimeout(Seconds timeout) {
  const Lock lock(mutex_);
  timeout_ = timeout;
}

std::optional<AXElement> FakeAccessibility::applicationElement(platform::ProcessID pid) {
  const Lock lock(mutex_);
  if (pid != pid_) return std::nullopt;
  return tree_.element(tree_.root());
}

std::optional<AttributeValue> FakeAccessibility::attribute(const AXElement& element, std::string_view name) {
  const Lock lock(mutex_);
  ++singleReads_;
  const auto node = tree_.node(element);
  if (!trusted_ || !node || !answers()) return std::nullopt;
  return tree_.read(*node, name);
}

std::optional<std::vector<std::optional<AttributeValue>>> FakeAccessibility::attributes(
    const AXElement& element, std::span<const std::string_view> names) {
  const Lock lock(mutex_);
  ++batchReads_;
  const auto node = tree_.node(element);
  if (!trusted_ || !node || !answers() || batchMode_ == BatchMode::fails) return std::nullopt;
  std::vector<std::optional<AttributeValue>> values;
  for (std::string_view name : names)
    values.push_back(tree_.read(*node, name));
  if (batchMode_ == BatchMode::dropsLastValue && !values.empty()) values.pop_back();
  return values;
}

bool FakeAccessibility::setAttribute(const AXElement& element, std::string_view name,
                                     const AttributeValue& value) {
  SetHook hook;
  {
    const Lock lock(mutex_);
    const auto node = tree_.node(element);
    if (!trusted_ || !node || !answers() || !writesSucceed_) return false;
    auto stored = tree_.stored(value);
    if (!stored) return false;
    tree_.set(*node, std::string(name), std::move(*stored));
    writes_.push_back({element, std::string(name), value});
    hook = hook_;
  }
  // Outside the lock: the hook changes the tree through this fake.
  if (hook) hook(*this, element, name, value);
  return true;
}

bool FakeAccessibility::performAction(const AXElement& element, std::string_view action) {
  const Lock lock(mutex_);
  const auto node = tree_.node(element);
  if (!trusted_ || !node || !answers() || !actionsSucceed_) return false;
  actions_.push_back({element, std::string(action)});
  return true;
}

}  // namespace quillo::testing
