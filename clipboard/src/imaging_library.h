#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/clipboard/clipboard_image.h"
#include "quillo/clipboard/clipboard_payload.h"

namespace quillo::clipboard::imaging {

// Image decoding (libvips) and text recognition (Tesseract) live in libquillo-imaging.so, which
// the clipboard loads with dlopen the first time it meets an image: the two libraries bring some
// seventy others with them (codecs, TLS, XML, fonts), about 13 MB of resident pages that a
// history of texts never uses. The library reports failures as values; the clipboard turns them
// into its own errors.
inline constexpr int kAbiVersion = 1;
inline constexpr char kLibraryName[] = "libquillo-imaging.so";
inline constexpr char kEntrySymbol[] = "quillo_imaging_entry";

struct Recognised {
  enum class Status { read, cancelled, unavailable };
  Status status = Status::read;
  // The recognised text lines in reading order, untrimmed, empty ones included.
  std::vector<std::string> lines{};
};

// Safe to use from any thread; recognition keeps one engine per thread.
class Library {
 public:
  virtual ~Library() = default;

  // The image with its orientation applied and its longest side at most `maxPixelSize`, every
  // pixel decoded; none when the data is no image the library decodes, or declares far too many
  // pixels.
  virtual std::shared_ptr<const DecodedImage> decode(std::span<const std::uint8_t> data,
                                                     int maxPixelSize) const = 0;
  virtual std::shared_ptr<const DecodedImage> decodeFile(const std::string& file, int maxPixelSize) const = 0;
  virtual PixelSize size(const DecodedImage& image) const = 0;
  virtual std::optional<Bytes> png(const DecodedImage& image) const = 0;
  // 8-bit grey levels, row after row, transparency laid over white.
  virtual std::optional<std::vector<std::uint8_t>> greyPixels(const DecodedImage& image) const = 0;
  // The size the data's header declares, without decoding it.
  virtual std::optional<PixelSize> declaredSize(std::span<const std::uint8_t> data) const = 0;

  // The text in grey pixels of the given size, in Tesseract's languages ("deu+eng").
  virtual Recognised recognise(std::span<const std::uint8_t> greyPixels, PixelSize size,
                               const std::string& languages, std::stop_token stop) const = 0;
  // The languages whose recognition data is installed.
  virtual std::set<std::string> installedLanguages() const = 0;
};

// Where the library's warnings go.
using Warn = void (*)(std::string_view message);
// The library's entry point: its one instance, or null when `abiVersion` is not its own.
using Entry = const Library* (*)(int abiVersion, Warn warn) noexcept;

// The loaded library, loaded on the first call; null (and the reason logged, once) when it cannot
// be loaded.
const Library* library();

}  // namespace quillo::clipboard::imaging
