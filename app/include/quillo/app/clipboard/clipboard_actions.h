#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace quillo::app {

// The commands of the history window, in the order it lists them.
enum class ClipboardAction : std::uint8_t {
  paste,
  pastePlain,
  copy,
  preview,
  pin,
  rename,
  cleanText,
  saveImage,
  selectAll,
  remove,
};

inline constexpr std::array<ClipboardAction, 10> kAllClipboardActions{
    ClipboardAction::paste,     ClipboardAction::pastePlain, ClipboardAction::copy,
    ClipboardAction::preview,   ClipboardAction::pin,        ClipboardAction::rename,
    ClipboardAction::cleanText, ClipboardAction::saveImage,  ClipboardAction::selectAll,
    ClipboardAction::remove};

// The action's title for a selection of `count` items ("Paste 3 Items"); `pinned` when every
// selected item is pinned ("Unpin").
std::string title(ClipboardAction action, std::size_t count, bool pinned = false);

}  // namespace quillo::app
