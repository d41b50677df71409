#pragma once

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "quillo/platform/ax_element.h"
#include "quillo/platform/geometry.h"

namespace quillo::platform {

// A process id as the operating system hands it out.
using ProcessID = int;

// What one attribute of an element holds: a string, a Boolean, a number, an element, a list of
// elements, a point or a size.
using AttributeValue =
    std::variant<std::string, bool, double, AXElement, std::vector<AXElement>, Point, Size>;

// Reading and acting on the user-interface elements of other applications (menus, windows,
// settings rows). Every failure of the service — no permission, an application that does not
// answer within the messaging time-out, an element that went away, an attribute it does not
// have — reads as absent or false, never as an exception.
// Implementations are safe for concurrent use; calls block for at most the messaging time-out.
class Accessibility {
 public:
  enum class TrustCheck { silent, prompt };

  virtual ~Accessibility() = default;

  // Whether this process may use the service. With `prompt`, the system first asks the user to
  // grant it when it has not been granted yet; the answer is still the state right now.
  virtual bool isTrusted(TrustCheck check) = 0;

  // How long any one call waits for an application before it fails, for every application.
  virtual void setMessagingTimeout(std::chrono::duration<double> timeout) = 0;

  // The element of a running application, absent when there is no such process to read.
  virtual std::optional<AXElement> applicationElement(ProcessID pid) = 0;

  // One attribute; absent when the element does not have it or the read fails.
  virtual std::optional<AttributeValue> attribute(const AXElement& element, std::string_view name) = 0;

  // Several attributes in one round trip, one entry per name in order; an entry is absent where the
  // application reported an error for that attribute. Absent as a whole when the call fails.
  virtual std::optional<std::vector<std::optional<AttributeValue>>> attributes(
      const AXElement& element, std::span<const std::string_view> names) = 0;

  // True when the application accepted the new value.
  virtual bool setAttribute(const AXElement& element, std::string_view name, const AttributeValue& value) = 0;

  // True when the application reports that it performed the action ("AXPress", ...).
  virtual bool performAction(const AXElement& element, std::string_view action) = 0;
};

}  // namespace quillo::platform
