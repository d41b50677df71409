#include "quillo/app/clipboard/clipboard_paste_service.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <string_view>

#include "quillo/app/clipboard/pasteboard_types.h"
#include "quillo/core/system/platform_texts.h"

namespace quillo::app {
namespace {

constexpr std::array<std::string_view, 21> kTerminalIDs{
    // macOS
    "com.apple.Terminal", "com.googlecode.iterm2", "org.alacritty", "co.zeit.hyper", "com.mitchellh.ghostty",
    "net.kovidgoyal.kitty", "com.github.wez.wezterm",
    // Linux desktop-file ids
    "org.gnome.Terminal", "org.gnome.Console", "org.kde.konsole", "kitty", "org.wezfurlong.wezterm",
    "Alacritty", "foot", "debian-xterm", "com.gexperts.Tilix", "xfce4-terminal",
    // window classes of terminals started without a desktop file
    "XTerm", "UXTerm", "URxvt", "st-256color"};

bool listed(std::string_view name) {
  return !name.empty() && std::find(kTerminalIDs.begin(), kTerminalIDs.end(), name) != kTerminalIDs.end();
}

}  // namespace

bool isTerminal(const platform::FrontApplication& application) {
  return listed(application.id) || listed(application.windowClass);
}

PasteFlags pasteFlags(const clipboard::ClipboardPayload& payload, const platform::FrontApplication& target) {
  const bool imagesOnly =
      !payload.items.empty() && std::all_of(payload.items.begin(), payload.items.end(), [](const auto& item) {
        return std::any_of(item.begin(), item.end(), [](const auto& representation) {
          const auto& images = PasteboardTypes::images;
          return std::find(images.begin(), images.end(), representation.type) != images.end();
        });
      });
  return imagesOnly && isTerminal(target) ? PasteFlags::control : PasteFlags::command;
}

ClipboardPasteService::ClipboardPasteService(Services services, std::string ownApplicationID)
    : services_(services), ownApplicationID_(std::move(ownApplicationID)) {}

bool ClipboardPasteService::copy(const clipboard::ClipboardPayload& payload) {
  if (const auto urls = payload.fileURLs()) {
    for (const base::Url& url : *urls) {
      std::error_code error;
      const auto path = url.filePath();
      if (!path || !std::filesystem::exists(*path, error)) return false;
    }
  }
  std::vector<platform::PasteboardItem> items;
  for (const auto& item : payload.items) {
    platform::PasteboardItem& written = items.emplace_back();
    for (const auto& representation : item)
      written.representations.push_back({representation.type, representation.data});
    written.representations.push_back({std::string(PasteboardTypes::writeMarker), {}});
  }
  services_.board.clear();
  services_.board.write(items);
  return true;
}

platform::KeyStroke ClipboardPasteService::keyStroke(const clipboard::ClipboardPayload& payload,
                                                     const platform::FrontApplication& target) const {
  const bool control = pasteFlags(payload, target) == PasteFlags::control;
  if (services_.system.isMacOS()) return {.key = 'v', .command = !control, .control = control};
  // The application's own paste is Ctrl+V, and Ctrl+Shift+V in a terminal, where Ctrl+V goes to
  // the program running in it (which is what an image paste wants).
  return {.key = 'v', .control = true, .shift = !control && isTerminal(target)};
}

std::string ClipboardPasteService::keyLabel(const clipboard::ClipboardPayload& payload,
                                            const platform::FrontApplication& target) const {
  const platform::KeyStroke stroke = keyStroke(payload, target);
  if (services_.system.isMacOS()) return stroke.command ? "Cmd-V" : "Ctrl-V";
  return stroke.shift ? "Ctrl+Shift+V" : "Ctrl+V";
}

bool ClipboardPasteService::isRunning(const platform::FrontApplication& application) {
  const auto running = services_.workspace.runningApplications();
  return std::any_of(running.begin(), running.end(),
                     [&](const auto& each) { return each.pid == application.pid; });
}

bool ClipboardPasteService::isFront(const platform::FrontApplication& application) {
  const auto front = services_.workspace.frontApplication();
  return front && front->pid == application.pid;
}

void ClipboardPasteService::paste(const clipboard::ClipboardPayload& payload,
                                  const std::optional<platform::FrontApplication>& target,
                                  const Dismiss& dismiss,
                                  std::function<void(std::optional<std::string>)> done) {
  const auto text = [this](core::PlatformText which) {
    return std::string(core::platformText(which, services_.system));
  };
  if (!copy(payload)) return done("Could not copy the selected content.");
  if (!target || !isRunning(*target) || target->id == ownApplicationID_)
    return done(text(core::PlatformText::switchAndPaste));
  const std::string label = keyLabel(payload, *target);
  if (!services_.keys.isTrusted()) return done(text(core::PlatformText::enableAutomaticPaste) + label + ".");
  // Our own window may be in front while it is open; any other application means the user moved on.
  if (const auto front = services_.workspace.frontApplication();
      !front || (front->pid != target->pid && front->id != ownApplicationID_))
    return done(text(core::PlatformText::destinationChangedBeforePaste));

  dismiss([this, target = *target, stroke = keyStroke(payload, *target), label, text,
           done = std::move(done)](bool reopened) {
    if (reopened) return done("Copied. Paste was cancelled because Quillo reopened.");
    if (!isFront(target) || !isRunning(target))
      return done(text(core::PlatformText::destinationChangedDuringPaste));
    if (!services_.keys.post(stroke)) return done("Copied. Paste with " + label + ".");
    done(std::nullopt);
  });
}

}  // namespace quillo::app
