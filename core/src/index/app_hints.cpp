#include <array>
#include <utility>

#include "quillo/core/index/catalog.h"

namespace quillo::core::Catalog {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 25> kAppHints{{
    {"About This Mac", "Mac model, chip, memory, serial number, macOS version"},
    {"Activity Monitor",
     "See CPU, memory, and energy use. Find the app that makes the Mac slow, hot, or the fan loud. Force "
     "quit a "
     "process"},
    {"Screenshot", "Record a video of the screen, or capture a picture of it"},
    {"QuickTime Player", "Play video and audio. Record the screen, the camera, or audio"},
    {"Disk Utility", "Erase, format, partition, and repair disks"},
    {"Terminal", "Command line shell"},
    {"Console", "System logs and crash reports"},
    {"Keychain Access", "Saved certificates, keys, and secure notes"},
    {"Passwords", "Saved website and app passwords, passkeys, Wi-Fi passwords, verification codes"},
    {"Preview", "View and annotate images and PDF files, sign a PDF, resize or crop a picture"},
    {"Migration Assistant", "Move data from another Mac or PC"},
    {"Font Book", "Install and preview fonts"},
    {"Digital Color Meter", "Read the color value of any pixel on the screen"},
    {"Shortcuts", "Build and run automations"},
    {"Automator", "Build workflows and automations"},
    {"Script Editor", "Write and run AppleScript"},
    {"System Information", "Detailed hardware and software report"},
    {"Image Capture", "Import pictures from a camera, a phone, or a scanner"},
    {"Find My", "Locate devices, AirTags, and people"},
    {"Finder", "Browse files, folders, and disks, open a Finder window"},
    {"Stocks", "Stock prices and market news"},
    {"Home", "Control smart home accessories"},
    {"Freeform", "Whiteboard for diagrams and brainstorming"},
    {"TextEdit", "Plain and rich text editor for quick notes"},
    {"Time Machine", "Browse and restore backups"},
}};

}  // namespace

std::optional<std::string_view> appHint(std::string_view appName) {
  for (const auto& [name, hint] : kAppHints) {
    if (name == appName) return hint;
  }
  return std::nullopt;
}

}  // namespace quillo::core::Catalog
