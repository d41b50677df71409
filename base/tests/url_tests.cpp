#include <gtest/gtest.h>

#include "quillo/base/url.h"

namespace quillo::base {
namespace {

TEST(Url, FileUrlEncodesWhatAPathMayHold) {
  EXPECT_EQ(Url::file("/Applications/Safari.app").text, "file:///Applications/Safari.app");
  const Url spaced = Url::file("/Applications/Visual Studio Code.app");
  EXPECT_EQ(spaced.text, "file:///Applications/Visual%20Studio%20Code.app");
  EXPECT_EQ(spaced.filePath(), "/Applications/Visual Studio Code.app");
}

TEST(Url, FilePathRoundTripsUnusualNames) {
  for (const std::string path : {"/tmp/100%/a#b?c", "/Users/zoë/Café.app", "/"}) {
    EXPECT_EQ(Url::file(path).filePath(), path) << path;
  }
}

TEST(Url, OnlyFileUrlsHaveAPath) {
  EXPECT_EQ(Url{"https://example.com/a"}.filePath(), std::nullopt);
  EXPECT_EQ(Url{"x-apple.systempreferences:com.apple.wifi-settings-extension"}.filePath(), std::nullopt);
  EXPECT_EQ(Url{"not a url"}.filePath(), std::nullopt);
}

}  // namespace
}  // namespace quillo::base
