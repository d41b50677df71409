#include "../imaging_library.h"
#include "tesseract_reader.h"
#include "vips_images.h"

namespace quillo::clipboard::imaging {
namespace {

class LoadedLibrary final : public Library {
 public:
  std::shared_ptr<const DecodedImage> decode(std::span<const std::uint8_t> data,
                                             int maxPixelSize) const override {
    return vipsDecode(data, maxPixelSize);
  }
  std::shared_ptr<const DecodedImage> decodeFile(const std::string& file, int maxPixelSize) const override {
    return vipsDecodeFile(file, maxPixelSize);
  }
  PixelSize size(const DecodedImage& image) const override { return vipsSize(image); }
  std::optional<Bytes> png(const DecodedImage& image) const override { return vipsPng(image); }
  std::optional<std::vector<std::uint8_t>> greyPixels(const DecodedImage& image) const override {
    return vipsGreyPixels(image);
  }
  std::optional<PixelSize> declaredSize(std::span<const std::uint8_t> data) const override {
    return vipsDeclaredSize(data);
  }
  Recognised recognise(std::span<const std::uint8_t> greyPixels, PixelSize size, const std::string& languages,
                       std::stop_token stop) const override {
    return tesseractRecognise(greyPixels, size, languages, std::move(stop));
  }
  std::set<std::string> installedLanguages() const override { return tesseractLanguages(); }
};

}  // namespace
}  // namespace quillo::clipboard::imaging

extern "C" const quillo::clipboard::imaging::Library* quillo_imaging_entry(
    int abiVersion, quillo::clipboard::imaging::Warn warn) noexcept {
  using namespace quillo::clipboard::imaging;
  if (abiVersion != kAbiVersion) return nullptr;
  if (!startVips(warn)) return nullptr;
  static const LoadedLibrary library;
  return &library;
}
