#pragma once

#include <functional>
#include <optional>
#include <string>

namespace quillo::platform {

// What a second start of the program asks the running one to do.
struct InstanceRequest {
  enum class Kind { show, toggle, clipboard, query, settings };

  Kind kind = Kind::show;
  // The text to search for, with `query`.
  std::optional<std::string> query;
  // The desktop's activation token of the start, so that the running instance may take the focus.
  std::optional<std::string> activationToken;
  bool operator==(const InstanceRequest&) const = default;
};

// One running instance per session (on Linux the owner of a session-bus name); later starts
// forward their request to it and exit. Main thread only; requests arrive on the main thread.
class InstanceChannel {
 public:
  using Receiver = std::function<void(const InstanceRequest& request)>;

  virtual ~InstanceChannel() = default;

  // Makes this process the running instance, receiving the requests of later starts; false when
  // another instance already is.
  virtual bool claim(Receiver receiver) = 0;
  // Hands the request to the running instance; false when none took it.
  virtual bool forward(const InstanceRequest& request) = 0;
};

}  // namespace quillo::platform
