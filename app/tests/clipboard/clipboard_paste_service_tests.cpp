#include <gtest/gtest.h>

#include "clipboard_app_fixture.h"
#include "quillo/app/clipboard/clipboard_paste_service.h"

namespace quillo::app {
namespace {

using clipboard::ClipboardPayload;

platform::FrontApplication application(std::string id, platform::ProcessID pid,
                                       std::string windowClass = "") {
  return {.pid = pid, .id = std::move(id), .name = "App", .windowClass = std::move(windowClass)};
}

ClipboardPayload image() {
  return ClipboardPayload{{{{"public.png", {1, 2, 3}}}}};
}

struct ClipboardPasteServiceTest : ClipboardAppTest {
  ClipboardPasteService service{{board, keys, workspace, system}};
  platform::FrontApplication editor = application("org.gnome.TextEditor", 10);
  platform::FrontApplication terminal = application("org.gnome.Terminal", 11);

  void run(const platform::FrontApplication& target) {
    workspace.running = {{.pid = target.pid, .bundleID = {}, .bundlePath = {}}};
    workspace.front = target;
  }

  // The message of a paste whose dismissal answers `reopened`.
  std::optional<std::string> paste(const ClipboardPayload& payload, const platform::FrontApplication& target,
                                   bool reopened = false) {
    std::optional<std::string> message = "not answered";
    service.paste(
        payload, target, [&](const std::function<void(bool)>& answer) { answer(reopened); },
        [&](std::optional<std::string> answer) { message = std::move(answer); });
    return message;
  }
};

TEST_F(ClipboardPasteServiceTest, EveryWrittenItemCarriesTheMarker) {
  ASSERT_TRUE(service.copy(ClipboardPayload{{{{"public.utf8-plain-text", {'a'}}}, {{"public.png", {1}}}}}));
  ASSERT_EQ(board.items.size(), 2u);
  for (const auto& item : board.items)
    EXPECT_EQ(item.representations.back().type, "com.brightmoor.quillo.clipboard-write");
}

TEST_F(ClipboardPasteServiceTest, AMissingFileFailsAndLeavesThePasteboardUnchanged) {
  testing::writeFile(folder / "here.txt", "x");
  board.copyText("unchanged");
  const auto before = board.items;
  EXPECT_FALSE(service.copy(ClipboardPayload::files(
      {base::Url::file((folder / "here.txt").string()), base::Url::file((folder / "gone.txt").string())})));
  EXPECT_EQ(board.items, before);
}

TEST_F(ClipboardPasteServiceTest, ImagesIntoATerminalUseCtrlVAndTextUsesCtrlShiftV) {
  run(terminal);
  EXPECT_EQ(paste(image(), terminal), std::nullopt);
  EXPECT_EQ(paste(ClipboardPayload::text("ls"), terminal), std::nullopt);
  EXPECT_EQ(keys.posted, (std::vector<platform::KeyStroke>{{.key = 'v', .control = true},
                                                           {.key = 'v', .control = true, .shift = true}}));
}

TEST_F(ClipboardPasteServiceTest, TerminalsAreKnownByWindowClassWhenTheirIdIsUnknown) {
  EXPECT_TRUE(isTerminal(application("", 3, "XTerm")));
  EXPECT_FALSE(isTerminal(application("org.gnome.TextEditor", 3, "Gnome-text-editor")));
  EXPECT_EQ(pasteFlags(image(), application("com.mitchellh.ghostty", 3)), PasteFlags::control);
  EXPECT_EQ(pasteFlags(image(), editor), PasteFlags::command);
}

TEST_F(ClipboardPasteServiceTest, OnMacOSTheKeysAreCommandVAndControlV) {
  system.macOS = true;
  const auto iterm = application("com.googlecode.iterm2", 12);
  EXPECT_EQ(service.keyLabel(image(), iterm), "Ctrl-V");
  EXPECT_EQ(service.keyLabel(ClipboardPayload::text("a"), iterm), "Cmd-V");
  EXPECT_EQ(service.keyStroke(ClipboardPayload::text("a"), iterm),
            (platform::KeyStroke{.key = 'v', .command = true}));
}

TEST_F(ClipboardPasteServiceTest, WithoutPermissionToPostKeysTheContentIsCopiedAndTheKeyNamed) {
  run(terminal);
  keys.trusted = false;
  EXPECT_EQ(paste(ClipboardPayload::text("ls"), terminal),
            "Copied. Automatic paste is not available in this session; paste with Ctrl+Shift+V.");
  EXPECT_EQ(board.items[0].representations[0], testing::representation("public.utf8-plain-text", "ls"));
  system.macOS = true;
  run(editor);
  EXPECT_EQ(paste(ClipboardPayload::text("ls"), editor),
            "Copied. Enable Quillo in Accessibility settings for automatic paste, or paste with Cmd-V.");
  EXPECT_TRUE(keys.posted.empty());
}

TEST_F(ClipboardPasteServiceTest, WithoutARunningTargetTheUserIsAskedToPaste) {
  EXPECT_EQ(paste(ClipboardPayload::text("a"), editor),
            "Copied. Switch to the destination app and press Ctrl-V.");
  run(application("dev.tarnwick.Quillo", 5));
  EXPECT_EQ(paste(ClipboardPayload::text("a"), application("dev.tarnwick.Quillo", 5)),
            "Copied. Switch to the destination app and press Ctrl-V.");
}

TEST_F(ClipboardPasteServiceTest, AnotherApplicationInFrontCancelsTheKeyPress) {
  run(editor);
  workspace.front = application("org.mozilla.firefox", 40);
  EXPECT_EQ(paste(ClipboardPayload::text("a"), editor),
            "Copied. The destination app changed; use Ctrl-V where you want to paste.");
  EXPECT_TRUE(keys.posted.empty());
}

TEST_F(ClipboardPasteServiceTest, ReopeningTheWindowCancelsThePaste) {
  run(editor);
  EXPECT_EQ(paste(ClipboardPayload::text("a"), editor, true),
            "Copied. Paste was cancelled because Quillo reopened.");
  EXPECT_TRUE(keys.posted.empty());
}

TEST_F(ClipboardPasteServiceTest, AKeyPressThatCannotBePostedAsksForAPasteByHand) {
  run(editor);
  keys.failsToPost = true;
  EXPECT_EQ(paste(ClipboardPayload::text("a"), editor), "Copied. Paste with Ctrl+V.");
}

}  // namespace
}  // namespace quillo::app
