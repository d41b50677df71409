#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "quillo/app/shell/hot_key.h"
#include "quillo/testing/fake_hot_keys.h"

namespace quillo::app {
namespace {

struct HotKeyTest : ::testing::Test {
  testing::FakeHotKeys keys;
  HotKeyCenter center{keys};
  int presses = 0;

  std::optional<HotKey> make(std::int64_t keyCode, std::int64_t modifiers) {
    return HotKey::make(center, keyCode, modifiers, [this] { ++presses; });
  }
};

TEST_F(HotKeyTest, HoldingTheShortcutCallsTheActionOnce) {
  const auto hotKey = make(49, 0x100);
  ASSERT_TRUE(hotKey);
  keys.press(49, 0x100);
  keys.press(49, 0x100);
  keys.press(49, 0x100);
  keys.release(49, 0x100);
  keys.press(49, 0x100);
  EXPECT_EQ(presses, 2);
}

TEST_F(HotKeyTest, AllHotKeysShareOneHandlerAndHaveTheirOwnNumbers) {
  const auto first = make(49, 0x100);
  const auto second = make(9, 0x300);
  ASSERT_TRUE(first && second);
  EXPECT_NE(first->number(), second->number());
  EXPECT_EQ(keys.calls, (std::vector<std::string>{"register 49 256", "installHandler", "register 9 768"}));
}

TEST_F(HotKeyTest, ARefusedCombinationGivesNoHotKey) {
  keys.refused.insert({49, 0x100});
  EXPECT_FALSE(make(49, 0x100));
}

TEST_F(HotKeyTest, AHandlerThatCannotBeInstalledReleasesTheKeyJustRegistered) {
  keys.handlerRefused = true;
  EXPECT_FALSE(make(49, 0x100));
  EXPECT_TRUE(keys.registered().empty());
}

TEST_F(HotKeyTest, ValuesOutside32BitsAreRefusedBeforeAskingTheDesktop) {
  EXPECT_FALSE(make(-1, 0x100));
  EXPECT_FALSE(make(49, std::int64_t{1} << 32));
  EXPECT_TRUE(keys.calls.empty());
}

TEST_F(HotKeyTest, DestroyingTheHotKeyUnregistersItAndForgetsTheAction) {
  make(49, 0x100).reset();
  EXPECT_TRUE(keys.registered().empty());
  EXPECT_FALSE(keys.press(49, 0x100));
  EXPECT_EQ(presses, 0);
}

}  // namespace
}  // namespace quillo::app
