// A test X client that owns CLIPBOARD and serves targets read from files, as another
// application's copy would: `quillo-test-selection-owner [--chunk N] TARGET=FILE ...`.
// Values larger than the chunk size go out in INCR transfers. Prints "owned" once it owns the
// selection and exits when another client takes it.
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Transfer {
  xcb_window_t requestor;
  xcb_atom_t property;
  xcb_atom_t type;
  std::string value;
  std::size_t sent = 0;
};

xcb_atom_t intern(xcb_connection_t* c, const std::string& name) {
  auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, name.size(), name.c_str()), nullptr);
  const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
  std::free(reply);
  return atom;
}

void notify(xcb_connection_t* c, const xcb_selection_request_event_t& request, xcb_atom_t property) {
  xcb_selection_notify_event_t event{};
  event.response_type = XCB_SELECTION_NOTIFY;
  event.time = request.time;
  event.requestor = request.requestor;
  event.selection = request.selection;
  event.target = request.target;
  event.property = property;
  xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t chunk = 256 * 1024;
  std::vector<std::pair<std::string, std::string>> values;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--chunk" && i + 1 < argc) {
      chunk = std::strtoul(argv[++i], nullptr, 10);
      continue;
    }
    const auto equals = argument.find('=');
    if (equals == std::string::npos) {
      std::fprintf(stderr, "usage: %s [--chunk N] TARGET=FILE ...\n", argv[0]);
      return 2;
    }
    std::ifstream file(argument.substr(equals + 1), std::ios::binary);
    values.emplace_back(argument.substr(0, equals),
                        std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
  }

  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) return 1;
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t window = xcb_generate_id(c);
  const std::uint32_t mask[] = {XCB_EVENT_MASK_PROPERTY_CHANGE};
  xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, mask);
  const xcb_atom_t clipboard = intern(c, "CLIPBOARD");
  const xcb_atom_t targets = intern(c, "TARGETS");
  const xcb_atom_t incr = intern(c, "INCR");
  // Listed in the order given, as programs list their targets by preference (not by atom number,
  // which depends on what the server interned before).
  std::vector<std::pair<xcb_atom_t, std::string>> byTarget;
  for (const auto& [name, value] : values)
    byTarget.emplace_back(intern(c, name), value);
  const auto valueOf = [&byTarget](xcb_atom_t target) {
    return std::find_if(byTarget.begin(), byTarget.end(),
                        [target](const auto& entry) { return entry.first == target; });
  };

  xcb_set_selection_owner(c, window, clipboard, XCB_CURRENT_TIME);
  xcb_flush(c);
  std::printf("owned\n");
  std::fflush(stdout);

  std::vector<Transfer> transfers;
  while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
    const std::uint8_t type = event->response_type & 0x7f;
    if (type == XCB_SELECTION_CLEAR) {
      std::free(event);
      break;
    }
    if (type == XCB_SELECTION_REQUEST) {
      const auto request = *reinterpret_cast<xcb_selection_request_event_t*>(event);
      const xcb_atom_t property = request.property == XCB_NONE ? request.target : request.property;
      if (request.target == targets) {
        std::vector<xcb_atom_t> list{targets};
        for (const auto& [atom, value] : byTarget)
          list.push_back(atom);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32,
                            list.size(), list.data());
        notify(c, request, property);
      } else if (const auto found = valueOf(request.target); found == byTarget.end()) {
        notify(c, request, XCB_NONE);
      } else if (found->second.size() <= chunk) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, request.target, 8,
                            found->second.size(), found->second.data());
        notify(c, request, property);
      } else {
        const std::uint32_t size = found->second.size();
        const std::uint32_t watch[] = {XCB_EVENT_MASK_PROPERTY_CHANGE};
        xcb_change_window_attributes(c, request.requestor, XCB_CW_EVENT_MASK, watch);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, incr, 32, 1, &size);
        transfers.push_back({request.requestor, property, request.target, found->second});
        notify(c, request, property);
      }
    } else if (type == XCB_PROPERTY_NOTIFY) {
      const auto* notice = reinterpret_cast<xcb_property_notify_event_t*>(event);
      for (auto it = transfers.begin(); it != transfers.end(); ++it) {
        if (notice->window != it->requestor || notice->atom != it->property ||
            notice->state != XCB_PROPERTY_DELETE)
          continue;
        const std::size_t length = std::min(chunk, it->value.size() - it->sent);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, it->requestor, it->property, it->type, 8, length,
                            it->value.data() + it->sent);
        it->sent += length;
        if (length == 0) transfers.erase(it);
        break;
      }
    }
    xcb_flush(c);
    std::free(event);
  }
  xcb_disconnect(c);
  return 0;
}
