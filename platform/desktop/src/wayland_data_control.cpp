#include "quillo/platform/desktop/wayland_data_control.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "ext-data-control-v1-client-protocol.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace quillo::platform::desktop {

// The two protocols have the same requests and events in the same order, so one set of
// listeners and marshalling calls serves both; only the interfaces of new objects differ.
struct WaylandDataControl::Session {
  struct Interfaces {
    const wl_interface* manager;
    const wl_interface* device;
    const wl_interface* source;
    const wl_interface* offer;
  };
  static constexpr Interfaces ext{
      &ext_data_control_manager_v1_interface, &ext_data_control_device_v1_interface,
      &ext_data_control_source_v1_interface, &ext_data_control_offer_v1_interface};
  static constexpr Interfaces wlr{
      &zwlr_data_control_manager_v1_interface, &zwlr_data_control_device_v1_interface,
      &zwlr_data_control_source_v1_interface, &zwlr_data_control_offer_v1_interface};

  struct Source {
    wl_proxy* proxy;
    std::shared_ptr<const std::map<std::string, std::string>> values;
  };

  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_seat* seat = nullptr;
  wl_proxy* manager = nullptr;
  const Interfaces* interfaces = nullptr;
  std::uint32_t managerVersion = 0;
  wl_proxy* device = nullptr;
  std::map<wl_proxy*, std::vector<std::string>> offers;  // offers still being described
  wl_proxy* selection = nullptr;
  std::vector<Source> sources;

  // Read by other threads.
  std::mutex mutex;
  std::vector<std::string> targets;
  std::uint64_t changes = 0;
  bool finished = false;

  ~Session() {
    for (auto& [offer, types] : offers)
      wl_proxy_destroy(offer);
    for (auto& source : sources)
      wl_proxy_destroy(source.proxy);
    if (device) wl_proxy_destroy(device);
    if (manager) wl_proxy_destroy(manager);
    if (seat) wl_seat_destroy(seat);
    if (registry) wl_registry_destroy(registry);
    if (display) wl_display_disconnect(display);
  }

  void setSelection(wl_proxy* offer) {
    if (selection) {
      offers.erase(selection);
      wl_proxy_destroy(selection);
    }
    selection = offer;
    std::lock_guard lock(mutex);
    targets = offer ? offers[offer] : std::vector<std::string>{};
    ++changes;
  }
};

namespace {

using Session = WaylandDataControl::Session;

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
  auto& session = *static_cast<Session*>(data);
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && !session.seat) {
    session.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (std::strcmp(interface, ext_data_control_manager_v1_interface.name) == 0) {
    if (session.manager) wl_proxy_destroy(session.manager);
    session.manager = static_cast<wl_proxy*>(wl_registry_bind(registry, name, Session::ext.manager, 1));
    session.interfaces = &Session::ext;
    session.managerVersion = 1;
  } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0 &&
             session.interfaces != &Session::ext) {
    session.managerVersion = std::min<std::uint32_t>(version, 2);
    session.manager = static_cast<wl_proxy*>(
        wl_registry_bind(registry, name, Session::wlr.manager, session.managerVersion));
    session.interfaces = &Session::wlr;
  }
}

void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener registryListener{onGlobal, onGlobalRemove};

void onOfferType(void* data, zwlr_data_control_offer_v1* offer, const char* type) {
  auto& session = *static_cast<Session*>(data);
  session.offers[reinterpret_cast<wl_proxy*>(offer)].emplace_back(type);
}

const zwlr_data_control_offer_v1_listener offerListener{onOfferType};

void onDataOffer(void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
  auto& session = *static_cast<Session*>(data);
  session.offers[reinterpret_cast<wl_proxy*>(offer)];
  wl_proxy_add_listener(
      reinterpret_cast<wl_proxy*>(offer),
      reinterpret_cast<void (**)(void)>(const_cast<zwlr_data_control_offer_v1_listener*>(&offerListener)),
      &session);
}

void onSelection(void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
  static_cast<Session*>(data)->setSelection(reinterpret_cast<wl_proxy*>(offer));
}

void onFinished(void* data, zwlr_data_control_device_v1*) {
  auto& session = *static_cast<Session*>(data);
  std::lock_guard lock(session.mutex);
  session.finished = true;
}

// The primary selection is never recorded: let its offers go at once.
void onPrimarySelection(void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
  if (!offer) return;
  auto& session = *static_cast<Session*>(data);
  session.offers.erase(reinterpret_cast<wl_proxy*>(offer));
  wl_proxy_destroy(reinterpret_cast<wl_proxy*>(offer));
}

const zwlr_data_control_device_v1_listener deviceListener{onDataOffer, onSelection, onFinished,
                                                          onPrimarySelection};

void onSend(void* data, zwlr_data_control_source_v1* source, const char* type, std::int32_t fd) {
  auto& session = *static_cast<Session*>(data);
  const auto found =
      std::find_if(session.sources.begin(), session.sources.end(),
                   [&](const Session::Source& s) { return s.proxy == reinterpret_cast<wl_proxy*>(source); });
  const auto value = found == session.sources.end() ? nullptr : found->values;
  if (!value || !value->contains(type)) {
    close(fd);
    return;
  }
  const auto entry = value->find(type);
  // A paste may take as long as the other program reads: write on a thread of its own, which
  // holds the values until it is done.
  std::thread([value, bytes = std::string_view(entry->second), fd] {
    std::size_t written = 0;
    while (written < bytes.size()) {
      const auto n = ::write(fd, bytes.data() + written, bytes.size() - written);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      written += static_cast<std::size_t>(n);
    }
    close(fd);
  }).detach();
}

void onCancelled(void* data, zwlr_data_control_source_v1* source) {
  auto& session = *static_cast<Session*>(data);
  auto& sources = session.sources;
  const auto found = std::find_if(sources.begin(), sources.end(), [&](const Session::Source& s) {
    return s.proxy == reinterpret_cast<wl_proxy*>(source);
  });
  if (found == sources.end()) return;
  wl_proxy_destroy(found->proxy);
  sources.erase(found);
}

const zwlr_data_control_source_v1_listener sourceListener{onSend, onCancelled};

template <class Listener>
void listen(wl_proxy* proxy, const Listener& listener, void* data) {
  wl_proxy_add_listener(proxy, reinterpret_cast<void (**)(void)>(const_cast<Listener*>(&listener)), data);
}

}  // namespace

WaylandDataControl::WaylandDataControl(Options options)
    : options_(options), session_(std::make_unique<Session>()) {
  auto& s = *session_;
  s.display = wl_display_connect(nullptr);
  if (!s.display) throw WaylandError("There is no Wayland display to connect to.");
  s.registry = wl_display_get_registry(s.display);
  wl_registry_add_listener(s.registry, &registryListener, &s);
  wl_display_roundtrip(s.display);
  if (!s.manager || !s.seat) throw WaylandError("This Wayland desktop offers no data-control protocol.");
  protocol_ = s.interfaces->manager->name;
  // get_data_device(new id, seat): request 1 of both managers.
  s.device = wl_proxy_marshal_flags(s.manager, 1, s.interfaces->device, wl_proxy_get_version(s.manager), 0,
                                    nullptr, s.seat);
  listen(s.device, deviceListener, &s);
  wl_display_roundtrip(s.display);
  wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) throw WaylandError("Cannot make the clipboard's wake-up descriptor.");
  thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
}

WaylandDataControl::~WaylandDataControl() {
  thread_.request_stop();
  const std::uint64_t one = 1;
  [[maybe_unused]] const auto written = ::write(wakeFd_, &one, sizeof one);
  thread_.join();
  close(wakeFd_);
}

void WaylandDataControl::run(std::stop_token stop) {
  wl_display* display = session_->display;
  pollfd fds[] = {{wl_display_get_fd(display), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
  while (!stop.stop_requested()) {
    while (wl_display_prepare_read(display) != 0)
      wl_display_dispatch_pending(display);
    wl_display_flush(display);
    poll(fds, 2, -1);
    if (fds[0].revents & POLLIN) {
      if (wl_display_read_events(display) != 0) return;
    } else {
      wl_display_cancel_read(display);
    }
    wl_display_dispatch_pending(display);
    if (fds[1].revents & POLLIN) {
      std::uint64_t count = 0;
      [[maybe_unused]] const auto drained = ::read(wakeFd_, &count, sizeof count);
    }
    std::deque<std::function<void()>> work;
    {
      std::lock_guard lock(mutex_);
      work.swap(work_);
    }
    for (auto& item : work)
      item();
    wl_display_flush(display);
  }
}

template <class Result>
Result WaylandDataControl::onConnection(std::function<Result(Session&)> work) {
  auto task = std::make_shared<std::packaged_task<Result()>>(
      [this, work = std::move(work)] { return work(*session_); });
  auto result = task->get_future();
  {
    std::lock_guard lock(mutex_);
    work_.emplace_back([task] { (*task)(); });
  }
  const std::uint64_t one = 1;
  [[maybe_unused]] const auto written = ::write(wakeFd_, &one, sizeof one);
  return result.get();
}

std::uint64_t WaylandDataControl::changeCount() {
  std::lock_guard lock(session_->mutex);
  return session_->changes;
}

std::vector<std::string> WaylandDataControl::targets() {
  std::lock_guard lock(session_->mutex);
  return session_->targets;
}

SelectionRead WaylandDataControl::read(std::string_view target, std::size_t cap) {
  const std::string type(target);
  // The compositor passes the pipe's writing end to the owner; ours is closed once sent.
  const int readEnd = onConnection<int>([&type](Session& s) -> int {
    if (!s.selection) return -1;
    const auto& offered = s.offers[s.selection];
    if (std::find(offered.begin(), offered.end(), type) == offered.end()) return -1;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return -1;
    zwlr_data_control_offer_v1_receive(reinterpret_cast<zwlr_data_control_offer_v1*>(s.selection),
                                       type.c_str(), ends[1]);
    wl_display_flush(s.display);
    close(ends[1]);
    return ends[0];
  });
  if (readEnd < 0) return {SelectionRead::Outcome::refused, {}};
  SelectionRead result{SelectionRead::Outcome::data, {}};
  const auto deadline = std::chrono::steady_clock::now() + options_.timeout;
  char buffer[65536];
  while (true) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd fd{readEnd, POLLIN, 0};
    if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
      result = {SelectionRead::Outcome::timedOut, {}};
      break;
    }
    const auto n = ::read(readEnd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (result.bytes.size() + static_cast<std::size_t>(n) > cap) {
      result = {SelectionRead::Outcome::tooLarge, {}};
      break;
    }
    result.bytes.append(buffer, static_cast<std::size_t>(n));
  }
  close(readEnd);
  return result;
}

void WaylandDataControl::own(std::map<std::string, std::string> values) {
  auto shared = std::make_shared<const std::map<std::string, std::string>>(std::move(values));
  onConnection<bool>([shared](Session& s) {
    if (shared->empty()) {
      zwlr_data_control_device_v1_set_selection(reinterpret_cast<zwlr_data_control_device_v1*>(s.device),
                                                nullptr);
      return true;
    }
    // create_data_source(new id): request 0 of both managers.
    wl_proxy* source = wl_proxy_marshal_flags(s.manager, 0, s.interfaces->source,
                                              wl_proxy_get_version(s.manager), 0, nullptr);
    listen(source, sourceListener, &s);
    for (const auto& [type, bytes] : *shared)
      zwlr_data_control_source_v1_offer(reinterpret_cast<zwlr_data_control_source_v1*>(source), type.c_str());
    s.sources.push_back({source, shared});
    zwlr_data_control_device_v1_set_selection(reinterpret_cast<zwlr_data_control_device_v1*>(s.device),
                                              reinterpret_cast<zwlr_data_control_source_v1*>(source));
    return true;
  });
}

}  // namespace quillo::platform::desktop
