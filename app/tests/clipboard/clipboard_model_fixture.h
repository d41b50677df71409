#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "clipboard_app_fixture.h"
#include "quillo/app/clipboard/clipboard_model.h"

namespace quillo::app {

// The history window's model over a real database that the monitor fills from the fake pasteboard.
struct ClipboardModelTest : ClipboardAppTest {
  ClipboardModel model{{board, keys, workspace, system, main, clock, pool, files},
                       settings,
                       tagger,
                       {.recognisesImageText = false}};
  platform::FrontApplication editor{.pid = 10, .id = "org.gnome.TextEditor", .name = "Text Editor"};

  void SetUp() override {
    workspace.running = {{.pid = editor.pid, .bundleID = {}, .bundlePath = {}}};
    workspace.front = editor;
    model.start(folder / "history.sqlite", true);
    ASSERT_TRUE(main.runUntil([&] { return model.state().isReady; }));
    settle();
  }

  // Copies on the pasteboard and lets the monitor record it; returns the new entry's id.
  base::Uuid copy(std::vector<platform::PasteboardItem> items) {
    board.copy(std::move(items));
    main.advance(std::chrono::milliseconds(250));
    settle();
    EXPECT_FALSE(model.state().entries.empty());
    return model.state().entries.front().id;
  }
  base::Uuid copyText(std::string_view text) {
    return copy({platform::PasteboardItem{{testing::representation("public.utf8-plain-text", text)}}});
  }
  base::Uuid copyImage(std::string_view bytes) {
    return copy({platform::PasteboardItem{{testing::representation("public.png", bytes)}}});
  }

  std::string pasteboardText() const {
    const auto& data = board.items.at(0).representations.at(0).data;
    return std::string(data.begin(), data.end());
  }
};

}  // namespace quillo::app
