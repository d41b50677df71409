#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace quillo::core {

// The kinds of files a user may describe, each with the extensions that make it up.
enum class MediaType { document, spreadsheet, presentation, image, video, music, code, archive, installer };

inline constexpr std::array<MediaType, 9> kAllMediaTypes = {
    MediaType::document, MediaType::spreadsheet, MediaType::presentation,
    MediaType::image,    MediaType::video,       MediaType::music,
    MediaType::code,     MediaType::archive,     MediaType::installer};

std::string_view rawValue(MediaType type);
std::optional<MediaType> mediaTypeFromRaw(std::string_view raw);
// Lower-case, without the dot.
std::span<const std::string_view> extensions(MediaType type);

// Whether the query looks like a file name with an extension of a known media type
// ("budget.xlsx"), as opposed to a description of files.
bool isFilenameQuery(std::string_view query);

}  // namespace quillo::core
