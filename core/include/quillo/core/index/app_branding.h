#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/platform/file_system.h"

namespace quillo::core {

// An application's primary brand colour as its AppStream metainfo gives it, for a light and a
// dark colour scheme ("#rrggbb", as written there). A colour without a scheme serves both.
struct AppBranding {
  std::optional<std::string> light;
  std::optional<std::string> dark;
  bool operator==(const AppBranding&) const = default;
};

// The metainfo folders of the data folders whose desktop entries are in `desktopEntryFolders`
// (".../share/applications" gives ".../share/metainfo"), in the same order.
std::vector<std::filesystem::path> metainfoFolders(
    const std::vector<std::filesystem::path>& desktopEntryFolders);

// The branding of the application with desktop-file id `appId` ("org.example.App", with or
// without ".desktop"): from the first of `folders` holding "<id>.metainfo.xml" (or the older
// "<id>.appdata.xml"). None when there is no such file, it has no primary colour or it is not
// well-formed XML, or cannot be read. Safe to call from any thread.
std::optional<AppBranding> readAppBranding(std::string_view appId,
                                           const std::vector<std::filesystem::path>& folders,
                                           const platform::FileSystem& files);

}  // namespace quillo::core
