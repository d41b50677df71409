#include "quillo/platform/desktop/atspi_accessibility.h"

#include <QStringList>
#include <algorithm>
#include <array>

#include "atspi_element.h"
#include "atspi_reader.h"
#include "quillo/platform/desktop/atspi_mapping.h"

namespace quillo::platform::desktop {

using atspi::Element;
using atspi::elementOf;
using atspi::handleOf;
using atspi::Kind;
using atspi::ObjectRef;

AtspiAccessibility::AtspiAccessibility() : AtspiAccessibility(Options{}) {}
AtspiAccessibility::AtspiAccessibility(Options options) : options_(options) {}
AtspiAccessibility::~AtspiAccessibility() = default;

atspi::Connection* AtspiAccessibility::bus() {
  std::lock_guard lock(connecting_);
  if (!bus_) {
    if (auto connected = atspi::Bus::connect(timeoutMilliseconds_.load()))
      bus_ = std::make_unique<atspi::Connection>(std::move(connected), options_.menuMemory);
  }
  return bus_.get();
}

bool AtspiAccessibility::isTrusted(TrustCheck check) {
  const int timeout = timeoutMilliseconds_.load();
  if (atspi::accessibilityEnabled(timeout).value_or(false)) return true;
  if (check == TrustCheck::prompt) atspi::enableAccessibility(timeout);
  return atspi::accessibilityEnabled(timeout).value_or(false);
}

void AtspiAccessibility::setMessagingTimeout(std::chrono::duration<double> timeout) {
  const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(timeout).count();
  timeoutMilliseconds_.store(static_cast<int>(std::clamp<std::int64_t>(milliseconds, 1, 60'000)));
}

std::optional<AXElement> AtspiAccessibility::applicationElement(ProcessID pid) {
  atspi::Connection* connection = bus();
  if (!connection) return std::nullopt;
  const int timeout = timeoutMilliseconds_.load();
  const auto applications = atspi::objectsReply(connection->bus().call(
      {"org.a11y.atspi.Registry", atspi::kApplicationRoot}, atspi::kAccessible, "GetChildren", {}, timeout));
  if (!applications) return std::nullopt;
  std::vector<QDBusPendingCall> processes;
  for (const ObjectRef& application : *applications)
    processes.push_back(connection->bus().processOf(application.service, timeout));
  for (std::size_t index = 0; index < applications->size(); ++index) {
    const auto process = atspi::unsignedReply(processes[index]);
    if (process && static_cast<ProcessID>(*process) == pid)
      return elementOf({(*applications)[index].service, atspi::kApplicationRoot});
  }
  return std::nullopt;
}

std::optional<AttributeValue> AtspiAccessibility::attribute(const AXElement& element, std::string_view name) {
  const std::array<std::string_view, 1> names{name};
  auto values = attributes(element, names);
  if (!values) return std::nullopt;
  return std::move(values->front());
}

std::optional<std::vector<std::optional<AttributeValue>>> AtspiAccessibility::attributes(
    const AXElement& element, std::span<const std::string_view> names) {
  const Element* handle = handleOf(element);
  atspi::Connection* connection = bus();
  if (!handle || !connection) return std::nullopt;
  atspi::Reader reader(*connection, *handle, timeoutMilliseconds_.load());
  for (std::string_view name : names)
    reader.prepare(name);
  std::vector<std::optional<AttributeValue>> values;
  values.reserve(names.size());
  for (std::string_view name : names)
    values.push_back(reader.read(name));
  return values;
}

bool AtspiAccessibility::setAttribute(const AXElement& element, std::string_view name,
                                      const AttributeValue& value) {
  const Element* handle = handleOf(element);
  atspi::Connection* connection = bus();
  if (!handle || !connection || (handle->kind() != Kind::object && handle->kind() != Kind::settingsWindow))
    return false;
  const atspi::Bus& bus = connection->bus();
  const int timeout = timeoutMilliseconds_.load();
  const ObjectRef& object = handle->object();
  // Whatever the application does next, what was read before is not kept.
  connection->changed(object.service);
  if (name == "AXValue") {
    const double* fraction = std::get_if<double>(&value);
    if (!fraction) return false;
    QDBusPendingCall minimum = bus.property(object, atspi::kValue, "MinimumValue", timeout);
    QDBusPendingCall maximum = bus.property(object, atspi::kValue, "MaximumValue", timeout);
    const auto low = atspi::doubleReply(minimum);
    const auto high = atspi::doubleReply(maximum);
    if (!low || !high) return false;
    QDBusPendingCall set = bus.setProperty(object, atspi::kValue, "CurrentValue",
                                           atspi::valueAt(*fraction, *low, *high), timeout);
    set.waitForFinished();
    return !set.isError();
  }
  if (name == "AXSelected") {
    if (std::get_if<bool>(&value) == nullptr || !std::get<bool>(value)) return false;
    QDBusPendingCall parent = bus.property(object, atspi::kAccessible, "Parent", timeout);
    QDBusPendingCall index = bus.call(object, atspi::kAccessible, "GetIndexInParent", {}, timeout);
    const auto container = atspi::objectReply(parent);
    const auto position = atspi::intReply(index);
    if (container && position) {
      if (atspi::boolReply(bus.call(*container, atspi::kSelection, "SelectChild", {*position}, timeout)) ==
          true)
        return true;
    }
    // Rows that are not selectable children of a list select by being pressed.
    return performAction(element, "AXPress");
  }
  return false;
}

bool AtspiAccessibility::performAction(const AXElement& element, std::string_view action) {
  const Element* handle = handleOf(element);
  atspi::Connection* connection = bus();
  if (!handle || !connection || (handle->kind() != Kind::object && handle->kind() != Kind::settingsWindow))
    return false;
  const atspi::Bus& bus = connection->bus();
  const int timeout = timeoutMilliseconds_.load();
  connection->changed(handle->object().service);
  const auto names =
      atspi::actionNamesReply(bus.call(handle->object(), atspi::kAction, "GetActions", {}, timeout));
  if (!names || names->empty()) return false;
  // Toolkits name the default action differently; the first one is the default where none matches.
  static const QStringList kPressNames{"press", "click", "activate", "toggle", "jump"};
  const QString wanted =
      QString::fromUtf8(action.data(), static_cast<qsizetype>(action.size())).mid(2).toLower();
  int chosen = 0;
  for (int index = 0; index < static_cast<int>(names->size()); ++index) {
    const QString candidate = (*names)[static_cast<std::size_t>(index)].toLower();
    if (candidate == wanted || (wanted == "press" && kPressNames.contains(candidate))) {
      chosen = index;
      break;
    }
  }
  return atspi::boolReply(bus.call(handle->object(), atspi::kAction, "DoAction", {chosen}, timeout)) == true;
}

}  // namespace quillo::platform::desktop
