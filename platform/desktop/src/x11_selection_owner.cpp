#include "quillo/platform/desktop/x11_selection_owner.h"

#include <algorithm>
#include <chrono>

namespace quillo::platform::desktop {

X11SelectionOwner::X11SelectionOwner(const char* display, const std::string& selection)
    : connection_(display) {
  window_ = connection_.createHiddenWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
  selection_ = connection_.atom(selection);
  targetsAtom_ = connection_.atom("TARGETS");
  timestampAtom_ = connection_.atom("TIMESTAMP");
  incrAtom_ = connection_.atom("INCR");
  timeProbe_ = connection_.atom("QUILLO_TIME");
  // Values above a quarter of the largest request (in 4-byte units) go out in chunks.
  chunk_ = std::clamp<std::size_t>(xcb_get_maximum_request_length(connection_.get()), 4096, 256 * 1024);
  events_.emplace(connection_, [this](const xcb_generic_event_t& event) { handle(event); });
}

xcb_timestamp_t X11SelectionOwner::serverTime() {
  // The serving thread reads the PropertyNotify of this change and publishes its time.
  std::unique_lock lock(mutex_);
  const auto probe = ++timeProbes_;
  xcb_change_property(connection_.get(), XCB_PROP_MODE_APPEND, window_, timeProbe_, XCB_ATOM_STRING, 8, 0,
                      nullptr);
  connection_.flush();
  if (!timeArrived_.wait_for(lock, std::chrono::seconds(1), [&] { return timesSeen_ >= probe; }))
    return XCB_CURRENT_TIME;
  return lastTime_;
}

// The values are moved out one by one, which the copy check does not see.
void X11SelectionOwner::own(
    std::map<std::string, std::string> values) {  // NOLINT(performance-unnecessary-value-param)
  std::map<xcb_atom_t, std::string> byAtom;
  for (auto& [target, bytes] : values)
    byAtom[connection_.atom(target)] = std::move(bytes);
  const auto time = serverTime();
  {
    std::lock_guard lock(mutex_);
    values_ = std::move(byAtom);
    ownedSince_ = time;
    transfers_.clear();
  }
  xcb_set_selection_owner(connection_.get(), window_, selection_, time);
  XcbPointer<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
      connection_.get(), xcb_get_selection_owner(connection_.get(), selection_), nullptr));
  owns_ = owner && owner->owner == window_;
}

void X11SelectionOwner::answer(const xcb_selection_request_event_t& request) {
  auto* c = connection_.get();
  // Old clients send no property: the target names it.
  const xcb_atom_t property = request.property == XCB_NONE ? request.target : request.property;
  xcb_atom_t answered = XCB_NONE;
  {
    std::lock_guard lock(mutex_);
    if (request.target == targetsAtom_) {
      std::vector<xcb_atom_t> targets{targetsAtom_, timestampAtom_};
      for (const auto& [atom, value] : values_)
        targets.push_back(atom);
      xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32,
                          static_cast<std::uint32_t>(targets.size()), targets.data());
      answered = property;
    } else if (request.target == timestampAtom_) {
      xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_INTEGER, 32, 1,
                          &ownedSince_);
      answered = property;
    } else if (const auto value = values_.find(request.target); value != values_.end()) {
      if (value->second.size() <= chunk_) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, request.target, 8,
                            static_cast<std::uint32_t>(value->second.size()), value->second.data());
      } else {
        const std::uint32_t watch[] = {XCB_EVENT_MASK_PROPERTY_CHANGE};
        xcb_change_window_attributes(c, request.requestor, XCB_CW_EVENT_MASK, watch);
        const auto size = static_cast<std::uint32_t>(value->second.size());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, incrAtom_, 32, 1, &size);
        transfers_.push_back({request.requestor, property, request.target, value->second});
      }
      answered = property;
    }
  }
  xcb_selection_notify_event_t notify{};
  notify.response_type = XCB_SELECTION_NOTIFY;
  notify.time = request.time;
  notify.requestor = request.requestor;
  notify.selection = request.selection;
  notify.target = request.target;
  notify.property = answered;
  xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&notify));
  connection_.flush();
}

void X11SelectionOwner::continueTransfer(const xcb_property_notify_event_t& notice) {
  std::lock_guard lock(mutex_);
  const auto transfer = std::find_if(transfers_.begin(), transfers_.end(), [&](const Transfer& t) {
    return t.requestor == notice.window && t.property == notice.atom;
  });
  if (transfer == transfers_.end()) return;
  const std::size_t length = std::min(chunk_, transfer->value.size() - transfer->sent);
  xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, transfer->requestor, transfer->property,
                      transfer->type, 8, static_cast<std::uint32_t>(length),
                      transfer->value.data() + transfer->sent);
  transfer->sent += length;
  // The empty chunk that ends the transfer has been written.
  if (length == 0) transfers_.erase(transfer);
  connection_.flush();
}

void X11SelectionOwner::handle(const xcb_generic_event_t& event) {
  switch (event.response_type & 0x7f) {
    case XCB_SELECTION_REQUEST:
      answer(reinterpret_cast<const xcb_selection_request_event_t&>(event));
      break;
    case XCB_SELECTION_CLEAR: {
      owns_ = false;
      std::lock_guard lock(mutex_);
      values_.clear();
      break;
    }
    case XCB_PROPERTY_NOTIFY: {
      const auto& notice = reinterpret_cast<const xcb_property_notify_event_t&>(event);
      if (notice.window == window_ && notice.atom == timeProbe_) {
        std::lock_guard lock(mutex_);
        lastTime_ = notice.time;
        ++timesSeen_;
        timeArrived_.notify_all();
      } else if (notice.state == XCB_PROPERTY_DELETE) {
        continueTransfer(notice);
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace quillo::platform::desktop
