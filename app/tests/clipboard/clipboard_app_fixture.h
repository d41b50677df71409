#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "quillo/app/clipboard/clipboard_settings.h"
#include "quillo/base/worker_pool.h"
#include "quillo/clipboard/clipboard_store.h"
#include "quillo/clipboard/clipboard_tagger.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/fake_apple_events.h"
#include "quillo/testing/fake_key_events.h"
#include "quillo/testing/fake_pasteboard.h"
#include "quillo/testing/fake_system.h"
#include "quillo/testing/manual_main_queue.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::app {

// The clipboard side of the application on a Linux desktop: fakes at the seam, a real history
// database in a temporary folder, real workers, a main queue the test drains.
struct ClipboardAppTest : ::testing::Test {
  testing::TemporaryFolder folder;
  testing::TestClock clock;
  testing::ManualMainQueue main{clock};
  base::WorkerPool pool{2};
  core::MemoryDefaultsStore defaults{{{"clipboard.enabled", true}}};
  ClipboardSettings settings{defaults};
  testing::FakePasteboard board;
  testing::FakeWorkspace workspace;
  testing::FakeKeyEvents keys;
  testing::FakeSystem system = linuxSystem();
  platform::posix::PosixFileSystem files;
  std::shared_ptr<const clipboard::ClipboardTagger> tagger = std::make_shared<clipboard::ClipboardTagger>();

  static testing::FakeSystem linuxSystem() {
    testing::FakeSystem linux;
    linux.macOS = false;
    linux.home = "/home/tester";
    return linux;
  }

  // Lets every worker task and what it posts run to the end.
  void settle() {
    for (int round = 0; round < 4; ++round) {
      pool.waitUntilIdle();
      main.drain();
    }
  }
};

}  // namespace quillo::app
