#include <gtest/gtest.h>

#include "quillo/ui/style/key_caps.h"

namespace quillo::ui {
namespace {

TEST(KeyCapLabels, LinuxShortcutsComeApartIntoTheirKeys) {
  EXPECT_EQ(keyCapLabels("Ctrl+Shift+N"), QStringList({"Ctrl", "Shift", "N"}));
  EXPECT_EQ(keyCapLabels("Shift+Super+Space"), QStringList({"Shift", "Super", "Space"}));
}

TEST(KeyCapLabels, APlusKeyIsAKeyOfItsOwn) {
  EXPECT_EQ(keyCapLabels("Ctrl++"), QStringList({"Ctrl", "+"}));
}

TEST(KeyCapLabels, GtkAcceleratorsReadAsWords) {
  EXPECT_EQ(keyCapLabels("<Control><Shift>s"), QStringList({"Ctrl", "Shift", "S"}));
  EXPECT_EQ(keyCapLabels("<Primary>Return"), QStringList({"Ctrl", "Enter"}));
}

TEST(KeyCapLabels, MacSymbolsReadAsTheKeysThatWorkHere) {
  EXPECT_EQ(keyCapLabels("\u21e7\u2318N"), QStringList({"Shift", "Ctrl", "N"}));
  EXPECT_EQ(keyCapLabels("\u2325\u2318\u238b"), QStringList({"Alt", "Ctrl", "Esc"}));
}

}  // namespace
}  // namespace quillo::ui
