#pragma once

#include <cstdint>
#include <set>
#include <span>
#include <stop_token>
#include <string>

#include "../imaging_library.h"

namespace quillo::clipboard::imaging {

// Tesseract's side of the library; see Library for what each does.
Recognised tesseractRecognise(std::span<const std::uint8_t> greyPixels, PixelSize size,
                              const std::string& languages, std::stop_token stop);
std::set<std::string> tesseractLanguages();

}  // namespace quillo::clipboard::imaging
