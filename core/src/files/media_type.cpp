#include "quillo/core/files/media_type.h"

#include <algorithm>
#include <string>

#include "quillo/base/enum_names.h"
#include "quillo/base/unicode.h"

namespace quillo::core {
namespace {

constexpr base::EnumNames<MediaType, 9> kNames({{
    {MediaType::document, "document"},
    {MediaType::spreadsheet, "spreadsheet"},
    {MediaType::presentation, "presentation"},
    {MediaType::image, "image"},
    {MediaType::video, "video"},
    {MediaType::music, "music"},
    {MediaType::code, "code"},
    {MediaType::archive, "archive"},
    {MediaType::installer, "installer"},
}});

constexpr std::string_view kDocument[] = {"pdf", "doc", "docx", "pages", "txt", "rtf", "md", "odt", "epub"};
constexpr std::string_view kSpreadsheet[] = {"xls", "xlsx", "numbers", "csv", "tsv", "ods"};
constexpr std::string_view kPresentation[] = {"key", "ppt", "pptx", "odp"};
constexpr std::string_view kImage[] = {"jpg",  "jpeg", "png", "heic", "gif", "webp",
                                       "tiff", "bmp",  "svg", "raw",  "psd"};
constexpr std::string_view kVideo[] = {"mp4",  "mov", "mkv", "avi", "m4v",
                                       "webm", "wmv", "flv", "mpg", "mpeg"};
constexpr std::string_view kMusic[] = {"mp3", "m4a", "wav", "flac", "aac", "ogg", "aiff", "opus"};
constexpr std::string_view kCode[] = {"swift", "py",  "js",   "ts",   "tsx", "jsx",  "rs",  "go",
                                      "java",  "kt",  "c",    "h",    "cpp", "rb",   "php", "sh",
                                      "html",  "css", "json", "yaml", "yml", "toml", "sql"};
constexpr std::string_view kArchive[] = {"zip", "tar", "gz", "tgz", "rar", "7z", "bz2", "xz"};
constexpr std::string_view kInstaller[] = {"dmg", "pkg", "iso"};

}  // namespace

std::string_view rawValue(MediaType type) {
  return kNames.name(type);
}

std::optional<MediaType> mediaTypeFromRaw(std::string_view raw) {
  return kNames.value(raw);
}

std::span<const std::string_view> extensions(MediaType type) {
  switch (type) {
    case MediaType::document:
      return kDocument;
    case MediaType::spreadsheet:
      return kSpreadsheet;
    case MediaType::presentation:
      return kPresentation;
    case MediaType::image:
      return kImage;
    case MediaType::video:
      return kVideo;
    case MediaType::music:
      return kMusic;
    case MediaType::code:
      return kCode;
    case MediaType::archive:
      return kArchive;
    case MediaType::installer:
      return kInstaller;
  }
  return {};
}

bool isFilenameQuery(std::string_view query) {
  const std::string_view name = base::trimmedWhiteSpace(query);
  const auto dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  const std::string extension = base::lowercased(name.substr(dot + 1));
  return std::any_of(kAllMediaTypes.begin(), kAllMediaTypes.end(), [&](MediaType type) {
    const auto list = extensions(type);
    return std::find(list.begin(), list.end(), extension) != list.end();
  });
}

}  // namespace quillo::core
