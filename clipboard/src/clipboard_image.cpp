#include "quillo/clipboard/clipboard_image.h"

#include "imaging_library.h"
#include "quillo/clipboard/clipboard_error.h"

namespace quillo::clipboard {
namespace {

const imaging::Library& loadedLibrary() {
  const imaging::Library* library = imaging::library();
  if (library == nullptr) throw ClipboardError(ClipboardError::Code::invalidContent);
  return *library;
}

std::shared_ptr<const DecodedImage> required(std::shared_ptr<const DecodedImage> image) {
  if (!image) throw ClipboardError(ClipboardError::Code::invalidContent);
  return image;
}

}  // namespace

ClipboardImage ClipboardImage::decode(std::span<const std::uint8_t> data, int maxPixelSize) {
  const imaging::Library& library = loadedLibrary();
  auto image = required(library.decode(data, maxPixelSize));
  const PixelSize size = library.size(*image);
  return ClipboardImage(std::move(image), size);
}

ClipboardImage ClipboardImage::decodeFile(const std::filesystem::path& file, int maxPixelSize) {
  const imaging::Library& library = loadedLibrary();
  auto image = required(library.decodeFile(file.string(), maxPixelSize));
  const PixelSize size = library.size(*image);
  return ClipboardImage(std::move(image), size);
}

int ClipboardImage::width() const {
  return size_.width;
}

int ClipboardImage::height() const {
  return size_.height;
}

Bytes ClipboardImage::png() const {
  auto encoded = loadedLibrary().png(*image_);
  if (!encoded) throw ClipboardError(ClipboardError::Code::invalidContent);
  return std::move(*encoded);
}

std::vector<std::uint8_t> ClipboardImage::greyPixels() const {
  auto pixels = loadedLibrary().greyPixels(*image_);
  if (!pixels) throw ClipboardError(ClipboardError::Code::invalidContent);
  return std::move(*pixels);
}

std::optional<PixelSize> imagePixelSize(std::span<const std::uint8_t> data) {
  if (data.empty()) return std::nullopt;
  const imaging::Library* library = imaging::library();
  return library ? library->declaredSize(data) : std::nullopt;
}

Bytes pngThumbnail(std::span<const std::uint8_t> data) {
  try {
    return ClipboardImage::decode(data, ClipboardImage::kThumbnailSide).png();
  } catch (const ClipboardError&) {
    return {};
  }
}

Bytes pngThumbnail(const std::filesystem::path& file) {
  try {
    return ClipboardImage::decodeFile(file, ClipboardImage::kThumbnailSide).png();
  } catch (const ClipboardError&) {
    return {};
  }
}

}  // namespace quillo::clipboard
