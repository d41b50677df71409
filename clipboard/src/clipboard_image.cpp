#include "quillo/clipboard/clipboard_image.h"

#include <vips/vips.h>

#include <mutex>
#include <string_view>

#include "quillo/base/log.h"
#include "quillo/clipboard/clipboard_error.h"

namespace quillo::clipboard {
namespace {

const base::log::Logger kLog("clipboard");

// A picture cut short decodes partly grey; it fails instead, like data that is no image.
constexpr const char* kLoaderOptions = "fail_on=truncated";

void logLibraryMessage(const gchar* /*domain*/, GLogLevelFlags /*level*/, const gchar* message, gpointer) {
  kLog.warning("Image library: {}", message ? message : "");
}

struct Unref {
  void operator()(VipsImage* image) const noexcept {
    if (image) g_object_unref(image);
  }
};
using Owned = std::unique_ptr<VipsImage, Unref>;

struct GFree {
  void operator()(void* memory) const noexcept { g_free(memory); }
};

void startLibrary() {
  static std::once_flag started;
  std::call_once(started, [] {
    if (VIPS_INIT("quillo") != 0) throw ClipboardError(ClipboardError::Code::invalidContent);
    // Cached operations are keyed by the buffer's address, which the next copy may reuse with
    // other bytes; every decode is fresh.
    vips_cache_set_max(0);
    // Its warnings would go straight to standard error, which belongs to the program's output.
    g_log_set_handler("VIPS", static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE),
                      logLibraryMessage, nullptr);
  });
}

[[noreturn]] void failDecoding() {
  vips_error_clear();
  throw ClipboardError(ClipboardError::Code::invalidContent);
}

// JPEG and HEIC shrink while they load, so even a very large photo makes a thumbnail cheaply;
// every other format decodes each pixel first. A few bytes can declare a vast canvas (a GIF frame
// placed far off its 1 x 1 screen asks for 183 million pixels): refuse it from the header.
constexpr double kMaxDecodedPixels = 100e6;
constexpr double kMaxShrunkPixels = 1e9;

void requireDecodable(VipsImage* header) {
  if (!header) failDecoding();
  const char* loader = nullptr;
  const std::string_view name =
      vips_image_get_string(header, "vips-loader", &loader) == 0 && loader ? loader : "";
  const bool shrinksWhileLoading = name.starts_with("jpegload") || name.starts_with("heifload");
  const double pixels =
      static_cast<double>(vips_image_get_width(header)) * static_cast<double>(vips_image_get_height(header));
  if (pixels > (shrinksWhileLoading ? kMaxShrunkPixels : kMaxDecodedPixels)) failDecoding();
}

// Runs one libvips step that makes a new image from `in`.
template <class Step>
Owned step(VipsImage* in, Step operation) {
  VipsImage* out = nullptr;
  if (operation(in, &out) != 0) {
    if (out) g_object_unref(out);
    failDecoding();
  }
  return Owned(out);
}

// Decodes every pixel now: a damaged file fails here rather than when someone reads it, and
// the image no longer refers to the caller's buffer.
std::shared_ptr<VipsImage> inMemory(VipsImage* thumbnail) {
  const Owned lazy(thumbnail);
  VipsImage* copied = vips_image_copy_memory(lazy.get());
  if (!copied) failDecoding();
  return std::shared_ptr<VipsImage>(copied, Unref{});
}

}  // namespace

ClipboardImage ClipboardImage::decode(std::span<const std::uint8_t> data, int maxPixelSize) {
  startLibrary();
  if (data.empty()) throw ClipboardError(ClipboardError::Code::invalidContent);
  requireDecodable(
      Owned(vips_image_new_from_buffer(data.data(), data.size(), kLoaderOptions, nullptr)).get());
  VipsImage* thumbnail = nullptr;
  // The box is square, so the longer side decides; "down" never enlarges a small image.
  if (vips_thumbnail_buffer(const_cast<std::uint8_t*>(data.data()), data.size(), &thumbnail, maxPixelSize,
                            "height", maxPixelSize, "size", VIPS_SIZE_DOWN, "option_string", kLoaderOptions,
                            nullptr) != 0) {
    if (thumbnail) g_object_unref(thumbnail);
    failDecoding();
  }
  return ClipboardImage(inMemory(thumbnail));
}

ClipboardImage ClipboardImage::decodeFile(const std::filesystem::path& file, int maxPixelSize) {
  startLibrary();
  VipsImage* thumbnail = nullptr;
  // A file's loader options travel in brackets after its name: the file form takes no option string.
  const std::string named = file.string() + "[" + kLoaderOptions + "]";
  requireDecodable(Owned(vips_image_new_from_file(named.c_str(), nullptr)).get());
  if (vips_thumbnail(named.c_str(), &thumbnail, maxPixelSize, "height", maxPixelSize, "size", VIPS_SIZE_DOWN,
                     nullptr) != 0) {
    if (thumbnail) g_object_unref(thumbnail);
    failDecoding();
  }
  return ClipboardImage(inMemory(thumbnail));
}

int ClipboardImage::width() const {
  return vips_image_get_width(image_.get());
}

int ClipboardImage::height() const {
  return vips_image_get_height(image_.get());
}

Bytes ClipboardImage::png() const {
  void* buffer = nullptr;
  std::size_t length = 0;
  if (vips_pngsave_buffer(image_.get(), &buffer, &length, nullptr) != 0) failDecoding();
  const std::unique_ptr<void, GFree> owned(buffer);
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  return Bytes(bytes, bytes + length);
}

std::vector<std::uint8_t> ClipboardImage::greyPixels() const {
  // sRGB first so that 16-bit and CMYK images come down to 8-bit colour, then over white.
  Owned colour = step(image_.get(), [](VipsImage* in, VipsImage** out) {
    return vips_colourspace(in, out, VIPS_INTERPRETATION_sRGB, nullptr);
  });
  if (vips_image_hasalpha(colour.get())) {
    colour = step(colour.get(), [](VipsImage* in, VipsImage** out) {
      double white[] = {255, 255, 255};
      VipsArrayDouble* background = vips_array_double_new(white, 3);
      const int result = vips_flatten(in, out, "background", background, nullptr);
      vips_area_unref(VIPS_AREA(background));
      return result;
    });
  }
  const Owned grey = step(colour.get(), [](VipsImage* in, VipsImage** out) {
    return vips_colourspace(in, out, VIPS_INTERPRETATION_B_W, nullptr);
  });
  const Owned bytes =
      step(grey.get(), [](VipsImage* in, VipsImage** out) { return vips_cast_uchar(in, out, nullptr); });
  std::size_t size = 0;
  void* memory = vips_image_write_to_memory(bytes.get(), &size);
  if (!memory) failDecoding();
  const std::unique_ptr<void, GFree> owned(memory);
  const auto* pixels = static_cast<const std::uint8_t*>(memory);
  return std::vector<std::uint8_t>(pixels, pixels + size);
}

std::optional<PixelSize> imagePixelSize(std::span<const std::uint8_t> data) {
  startLibrary();
  if (data.empty()) return std::nullopt;
  // Only the header is read; the image is dropped before the buffer can go away.
  const Owned header(vips_image_new_from_buffer(data.data(), data.size(), "", nullptr));
  if (!header) {
    vips_error_clear();
    return std::nullopt;
  }
  return PixelSize{.width = vips_image_get_width(header.get()),
                   .height = vips_image_get_height(header.get())};
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
