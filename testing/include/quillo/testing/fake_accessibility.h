#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/platform/accessibility.h"
#include "quillo/platform/posix/element_tree.h"

namespace quillo::testing {

// Accessibility over an in-memory element tree, described in a test as JSON (the saved-tree
// format: objects are elements, {"error": 1} an attribute whose read fails). It records what the
// code under test does to it, and can be made slow, untrusted or failing. Delays are simulated:
// a call "takes" the response delay, and fails when the delay exceeds the messaging time-out,
// as a real application that does not answer in time; nothing sleeps.
// Thread-safety: every member may be called from any thread.
class FakeAccessibility final : public platform::Accessibility {
 public:
  using Seconds = std::chrono::duration<double>;
  using Value = platform::posix::ElementTree::Value;
  // Runs after the code under test set an attribute, to play the application's part (a scroll
  // bar that moves the content, say).
  using SetHook = std::function<void(FakeAccessibility&, const platform::AXElement&, std::string_view name,
                                     const platform::AttributeValue& value)>;
  enum class BatchMode { answers, fails, dropsLastValue };

  struct Action {
    platform::AXElement element;
    std::string name;
  };
  struct Write {
    platform::AXElement element;
    std::string name;
    platform::AttributeValue value;
  };

  static constexpr platform::ProcessID kPid = 4242;
  // What the system uses until a time-out is set.
  static constexpr Seconds kDefaultTimeout{6.0};

  // The top object of `json` is the application of process `pid`.
  explicit FakeAccessibility(std::string_view json, platform::ProcessID pid = kPid);

  // Setting up.
  void setTrusted(bool trusted);
  void setResponseDelay(Seconds delay);
  void setBatchMode(BatchMode mode);
  void setActionsSucceed(bool succeed);
  void setWritesSucceed(bool succeed);
  void onSet(SetHook hook);
  // Changes an attribute as the application would, without recording a write.
  void change(const platform::AXElement& element, std::string name, Value value);

  // Finding elements: the first, in the order the JSON lists them, whose string attribute is `text`.
  // Throws std::out_of_range when there is none.
  platform::AXElement find(std::string_view attribute, std::string_view text) const;
  platform::AXElement application() const;
  std::optional<platform::AttributeValue> peek(const platform::AXElement& element,
                                               std::string_view name) const;

  // What happened.
  std::vector<Action> actions() const;
  std::vector<Write> writes() const;
  Seconds messagingTimeout() const;
  int prompts() const;
  std::size_t singleReads() const;
  std::size_t batchReads() const;
  Seconds waited() const;

  // The seam.
  bool isTrusted(TrustCheck check) override;
  void setMessagingTimeout(Seconds timeout) override;
  std::optional<platform::AXElement> applicationElement(platform::ProcessID pid) override;
  std::optional<platform::AttributeValue> attribute(const platform::AXElement& element,
                                                    std::string_view name) override;
  std::optional<std::vector<std::optional<platform::AttributeValue>>> attributes(
      const platform::AXElement& element, std::span<const std::string_view> names) override;
  bool setAttribute(const platform::AXElement& element, std::string_view name,
                    const platform::AttributeValue& value) override;
  bool performAction(const platform::AXElement& element, std::string_view action) override;

 private:
  // Spends one call's simulated time; false when the application does not answer in time.
  bool answers();

  mutable std::mutex mutex_;
  platform::posix::ElementTree tree_;
  platform::ProcessID pid_;
  bool trusted_ = true;
  Seconds delay_{0};
  Seconds timeout_ = kDefaultTimeout;
  Seconds waited_{0};
  BatchMode batchMode_ = BatchMode::answers;
  bool actionsSucceed_ = true;
  bool writesSucceed_ = true;
  SetHook hook_;
  std::vector<Action> actions_;
  std::vector<Write> writes_;
  int prompts_ = 0;
  std::size_t singleReads_ = 0;
  std::size_t batchReads_ = 0;
};

}  // namespace quillo::testing
