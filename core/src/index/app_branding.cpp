#include "quillo/core/index/app_branding.h"

#include <pugixml.hpp>

namespace quillo::core {
namespace {

namespace fs = std::filesystem;

// Metainfo files are a few kilobytes; anything far larger is not one.
constexpr std::size_t kMostMetainfoBytes = 1 << 20;

std::optional<std::string> metainfoText(std::string_view appId, const std::vector<fs::path>& folders,
                                        const platform::FileSystem& files) {
  std::string id(appId);
  if (id.ends_with(".desktop")) id.resize(id.size() - std::string_view(".desktop").size());
  if (id.empty() || id.find('/') != std::string::npos) return std::nullopt;
  for (const auto& folder : folders)
    // Components are named by their id, which older files still end with ".desktop".
    for (const std::string& name : {id + ".metainfo.xml", id + ".appdata.xml", id + ".desktop.metainfo.xml",
                                    id + ".desktop.appdata.xml"}) {
      try {
        if (auto text = files.readFile(folder / name, kMostMetainfoBytes)) return text;
      } catch (const platform::FileSystemError&) {
        continue;  // unreadable, or not a file: the next name may be
      }
    }
  return std::nullopt;
}

}  // namespace

std::vector<fs::path> metainfoFolders(const std::vector<fs::path>& desktopEntryFolders) {
  std::vector<fs::path> folders;
  folders.reserve(desktopEntryFolders.size());
  for (const auto& folder : desktopEntryFolders)
    folders.push_back(folder.parent_path() / "metainfo");
  return folders;
}

std::optional<AppBranding> readAppBranding(std::string_view appId, const std::vector<fs::path>& folders,
                                           const platform::FileSystem& files) {
  const auto text = metainfoText(appId, folders, files);
  if (!text) return std::nullopt;
  pugi::xml_document document;
  if (!document.load_buffer(text->data(), text->size())) return std::nullopt;
  AppBranding branding;
  for (const auto& color : document.child("component").child("branding").children("color")) {
    if (std::string_view(color.attribute("type").as_string()) != "primary") continue;
    const std::string value = color.text().as_string();
    if (value.empty()) continue;
    const std::string_view scheme = color.attribute("scheme_preference").as_string();
    if (scheme != "dark" && !branding.light) branding.light = value;
    if (scheme != "light" && !branding.dark) branding.dark = value;
  }
  if (!branding.light && !branding.dark) return std::nullopt;
  return branding;
}

}  // namespace quillo::core
