#include "quillo/app/clipboard/clipboard_snapshot.h"

#include <gtest/gtest.h>

#include "quillo/testing/fake_pasteboard.h"

namespace quillo::app {
namespace {
TEST(ClipboardSnapshot, Placeholder) {}
}
}
