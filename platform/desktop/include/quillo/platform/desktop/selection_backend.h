#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::platform::desktop {

// What asking the clipboard's owner for one target gave.
struct SelectionRead {
  enum class Outcome {
    data,      // `bytes` holds the whole value
    refused,   // the owner has no such target, or there is no owner
    tooLarge,  // the value passed the cap; reading stopped there
    timedOut,  // the owner did not answer in time
  };
  Outcome outcome = Outcome::refused;
  std::string bytes;
  bool operator==(const SelectionRead&) const = default;
};

// The clipboard of one kind of session in MIME targets: X11's CLIPBOARD selection, or a Wayland
// compositor's selection through the data-control protocol. Safe for concurrent use; reads wait
// for the owner, so callers keep them off the main thread.
class SelectionBackend {
 public:
  virtual ~SelectionBackend() = default;

  // Moves whenever the owner changes, our own copies included.
  virtual std::uint64_t changeCount() = 0;
  // The owner's targets; empty when nobody owns the clipboard.
  virtual std::vector<std::string> targets() = 0;
  virtual SelectionRead read(std::string_view target, std::size_t cap) = 0;
  // Makes us the owner, serving these values (target → bytes); an empty map empties the
  // clipboard.
  virtual void own(std::map<std::string, std::string> values) = 0;
};

}  // namespace quillo::platform::desktop
