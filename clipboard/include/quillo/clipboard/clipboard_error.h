#pragma once

#include <cstdint>
#include <exception>
#include <string_view>

namespace quillo::clipboard {

// A failure of the clipboard history; what() is the message shown to the user.
class ClipboardError : public std::exception {
 public:
  enum class Code : std::uint8_t {
    // Any database failure: open, prepare, bind, step, schema.
    storage,
    // A storage budget that cannot be met.
    full,
    // An id the history no longer holds.
    missingItem,
    mixedSelection,
    invalidContent,
    unavailableFile,
    multipleItemsDrag,
  };

  explicit ClipboardError(Code code) noexcept : code_(code) {}

  Code code() const noexcept { return code_; }
  const char* what() const noexcept override;

 private:
  Code code_;
};

std::string_view message(ClipboardError::Code code);

}  // namespace quillo::clipboard
