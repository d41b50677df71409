#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "../imaging_library.h"

namespace quillo::clipboard::imaging {

// libvips' side of the library; see Library for what each does.
// Starts libvips once; false when it cannot start.
bool startVips(Warn warn);
std::shared_ptr<const DecodedImage> vipsDecode(std::span<const std::uint8_t> data, int maxPixelSize);
std::shared_ptr<const DecodedImage> vipsDecodeFile(const std::string& file, int maxPixelSize);
PixelSize vipsSize(const DecodedImage& image);
std::optional<Bytes> vipsPng(const DecodedImage& image);
std::optional<std::vector<std::uint8_t>> vipsGreyPixels(const DecodedImage& image);
std::optional<PixelSize> vipsDeclaredSize(std::span<const std::uint8_t> data);

}  // namespace quillo::clipboard::imaging
