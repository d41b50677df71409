#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "quillo/clipboard/clipboard_payload.h"

namespace quillo::clipboard {

// Pixels decoded by the image library; opaque outside it.
struct DecodedImage;

struct PixelSize {
  int width = 0;
  int height = 0;

  bool operator==(const PixelSize&) const = default;
};

// A decoded image, made as a thumbnail from image data (PNG, JPEG, TIFF, GIF, WebP, HEIC...)
// through libvips: its orientation applied and its longest side at most a given size; smaller
// images keep their size. The pixels are decoded on creation, so the image does not depend on
// the data it came from. The image library is loaded on the first decode.
//
// A value: copies share the same read-only pixels; safe to use from any thread.
class ClipboardImage {
 public:
  // The longest side text recognition works on, and that of the history's thumbnails.
  static constexpr int kRecognitionSide = 4096;
  static constexpr int kThumbnailSide = 320;

  // Throws ClipboardError invalidContent when the data is not an image the library can decode, or
  // the library cannot be loaded.
  static ClipboardImage decode(std::span<const std::uint8_t> data, int maxPixelSize);
  static ClipboardImage decodeFile(const std::filesystem::path& file, int maxPixelSize);

  int width() const;
  int height() const;

  // PNG encoding. Throws ClipboardError invalidContent when encoding fails.
  Bytes png() const;
  // 8-bit grey levels, row after row, with transparent parts laid over white.
  std::vector<std::uint8_t> greyPixels() const;

 private:
  ClipboardImage(std::shared_ptr<const DecodedImage> image, PixelSize size)
      : image_(std::move(image)), size_(size) {}

  std::shared_ptr<const DecodedImage> image_;
  PixelSize size_;
};

// The pixel size the image data declares (before orientation is applied); none when the data
// is not an image.
std::optional<PixelSize> imagePixelSize(std::span<const std::uint8_t> data);

// The history's thumbnail of image data or an image file: longest side at most 320 pixels,
// orientation applied, PNG-encoded. Empty when the data cannot be decoded.
Bytes pngThumbnail(std::span<const std::uint8_t> data);
Bytes pngThumbnail(const std::filesystem::path& file);

}  // namespace quillo::clipboard
