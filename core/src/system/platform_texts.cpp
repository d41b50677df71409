#include "quillo/core/system/platform_texts.h"

namespace quillo::core {
namespace {

struct Wording {
  std::string_view macOS;
  std::string_view other;
};

Wording wording(PlatformText text) {
  switch (text) {
    case PlatformText::switchAndPaste:
      return {"Copied. Switch to the destination app and press Cmd-V.",
              "Copied. Switch to the destination app and press Ctrl-V."};
    case PlatformText::enableAutomaticPaste:
      return {"Copied. Enable Quillo in Accessibility settings for automatic paste, or paste with ",
              "Copied. Automatic paste is not available in this session; paste with "};
    case PlatformText::destinationChangedBeforePaste:
      return {"Copied. The destination app changed; use Cmd-V where you want to paste.",
              "Copied. The destination app changed; use Ctrl-V where you want to paste."};
    case PlatformText::destinationChangedDuringPaste:
      return {"Copied. The destination app changed; paste with Cmd-V.",
              "Copied. The destination app changed; paste with Ctrl-V."};
    case PlatformText::unavailableFile:
      return {"An original file moved, was deleted, or is unavailable. Copy it again from Finder.",
              "An original file moved, was deleted, or is unavailable. Copy it again from the file manager."};
  }
  return {};
}

}  // namespace

std::string_view platformText(PlatformText text, bool macOS) {
  const Wording words = wording(text);
  return macOS ? words.macOS : words.other;
}

std::string_view platformText(PlatformText text, const platform::System& system) {
  return platformText(text, system.isMacOS());
}

}  // namespace quillo::core
