#include <gtest/gtest.h>

#include "quillo/base/xdg.h"

namespace quillo::base {
namespace {

TEST(XdgFolder, AnAbsoluteValueIsUsedAsItIs) {
  EXPECT_EQ(xdgFolder(XdgFolder::data, "/srv/data", "/home/ana"), "/srv/data");
}

TEST(XdgFolder, AnUnsetVariableFallsBackUnderHome) {
  EXPECT_EQ(xdgFolder(XdgFolder::config, std::nullopt, "/home/ana"), "/home/ana/.config");
  EXPECT_EQ(xdgFolder(XdgFolder::data, std::nullopt, "/home/ana"), "/home/ana/.local/share");
  EXPECT_EQ(xdgFolder(XdgFolder::cache, std::nullopt, "/home/ana"), "/home/ana/.cache");
  EXPECT_EQ(xdgFolder(XdgFolder::state, std::nullopt, "/home/ana"), "/home/ana/.local/state");
}

TEST(XdgFolder, AnEmptyValueCountsAsUnset) {
  EXPECT_EQ(xdgFolder(XdgFolder::cache, "", "/home/ana"), "/home/ana/.cache");
}

TEST(XdgFolder, ARelativeValueIsInvalidAndIgnored) {
  EXPECT_EQ(xdgFolder(XdgFolder::data, "relative/data", "/home/ana"), "/home/ana/.local/share");
  EXPECT_EQ(xdgFolder(XdgFolder::config, "./cfg", "/home/ana"), "/home/ana/.config");
}

TEST(XdgFolder, EachKindHasItsOwnVariable) {
  EXPECT_EQ(xdgVariable(XdgFolder::config), "XDG_CONFIG_HOME");
  EXPECT_EQ(xdgVariable(XdgFolder::data), "XDG_DATA_HOME");
  EXPECT_EQ(xdgVariable(XdgFolder::cache), "XDG_CACHE_HOME");
  EXPECT_EQ(xdgVariable(XdgFolder::state), "XDG_STATE_HOME");
}

}  // namespace
}  // namespace quillo::base
