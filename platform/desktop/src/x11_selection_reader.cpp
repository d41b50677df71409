#include "quillo/platform/desktop/x11_selection_reader.h"

#include <poll.h>

#include <algorithm>
#include <cstring>

namespace quillo::platform::desktop {
namespace {

using Clock = std::chrono::steady_clock;

struct PropertyValue {
  xcb_atom_t type = XCB_NONE;
  std::string bytes;
  std::size_t bytesAfter = 0;
};

PropertyValue getProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, bool remove,
                          std::uint32_t longLength) {
  XcbPointer<xcb_get_property_reply_t> reply(xcb_get_property_reply(
      c, xcb_get_property(c, remove, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, longLength), nullptr));
  if (!reply) return {};
  PropertyValue value{reply->type, {}, reply->bytes_after};
  const int length = xcb_get_property_value_length(reply.get());
  if (length > 0) value.bytes.assign(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
  return value;
}

}  // namespace

X11SelectionReader::X11SelectionReader(const char* display, Options options)
    : connection_(display), options_(std::move(options)) {
  window_ = connection_.createHiddenWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
  selection_ = connection_.atom(options_.selection);
  for (std::size_t i = 0; i < properties_.size(); ++i)
    properties_[i] = connection_.atom("QUILLO_SELECTION_" + std::to_string(i));
  incr_ = connection_.atom("INCR");
}

xcb_generic_event_t* X11SelectionReader::waitFor(std::uint8_t responseType, Clock::time_point deadline) {
  auto* c = connection_.get();
  while (true) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
      if ((event->response_type & 0x7f) == responseType) return event;
      std::free(event);
    }
    if (xcb_connection_has_error(c)) return nullptr;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return nullptr;
    pollfd fd{connection_.fileDescriptor(), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left));
  }
}

std::vector<std::string> X11SelectionReader::targets() {
  const auto read = this->read("TARGETS", 64 * 1024);
  std::vector<std::string> names;
  if (read.outcome != SelectionRead::Outcome::data) return names;
  const std::size_t count = read.bytes.size() / sizeof(xcb_atom_t);
  std::vector<xcb_atom_t> atoms(count);
  std::memcpy(atoms.data(), read.bytes.data(), count * sizeof(xcb_atom_t));
  for (const auto atom : atoms)
    if (auto name = connection_.atomName(atom); !name.empty()) names.push_back(std::move(name));
  return names;
}

SelectionRead X11SelectionReader::read(std::string_view target, std::size_t cap) {
  auto* c = connection_.get();
  // A property of its own for each read, taken in turn: an owner still sending the chunks of a
  // transfer we abandoned must not write them into this one.
  property_ = properties_[nextProperty_++ % properties_.size()];
  xcb_delete_property(c, window_, property_);
  xcb_convert_selection(c, window_, selection_, connection_.atom(target), property_, XCB_CURRENT_TIME);
  connection_.flush();
  XcbPointer<xcb_generic_event_t> event(waitFor(XCB_SELECTION_NOTIFY, Clock::now() + options_.timeout));
  if (!event) return {SelectionRead::Outcome::timedOut, {}};
  const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(event.get());
  if (notify->property == XCB_NONE) return {SelectionRead::Outcome::refused, {}};

  // First learn the size and type without taking the value.
  const auto head = getProperty(c, window_, property_, false, 0);
  if (head.type == incr_) return readIncrementally(cap);
  if (head.bytesAfter > cap) {
    xcb_delete_property(c, window_, property_);
    connection_.flush();
    return {SelectionRead::Outcome::tooLarge, {}};
  }
  auto value =
      getProperty(c, window_, property_, true, static_cast<std::uint32_t>((head.bytesAfter + 3) / 4));
  connection_.flush();
  return {SelectionRead::Outcome::data, std::move(value.bytes)};
}

SelectionRead X11SelectionReader::readIncrementally(std::size_t cap) {
  auto* c = connection_.get();
  // Deleting the INCR property asks the owner for the first chunk; each chunk is taken by
  // deleting it, and an empty chunk ends the transfer.
  xcb_delete_property(c, window_, property_);
  connection_.flush();
  std::string bytes;
  while (true) {
    XcbPointer<xcb_generic_event_t> event(waitFor(XCB_PROPERTY_NOTIFY, Clock::now() + options_.timeout));
    if (!event) return {SelectionRead::Outcome::timedOut, {}};
    const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event.get());
    if (notify->atom != property_ || notify->state != XCB_PROPERTY_NEW_VALUE) continue;
    const auto head = getProperty(c, window_, property_, false, 0);
    if (bytes.size() + head.bytesAfter > cap) {
      xcb_delete_property(c, window_, property_);
      connection_.flush();
      return {SelectionRead::Outcome::tooLarge, {}};
    }
    auto chunk =
        getProperty(c, window_, property_, true, static_cast<std::uint32_t>((head.bytesAfter + 3) / 4));
    connection_.flush();
    if (chunk.bytes.empty()) return {SelectionRead::Outcome::data, std::move(bytes)};
    bytes += chunk.bytes;
  }
}

}  // namespace quillo::platform::desktop
