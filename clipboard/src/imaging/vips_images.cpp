#include "vips_images.h"

#include <vips/vips.h>

#include <mutex>
#include <string_view>

namespace quillo::clipboard {

// A decoded image: libvips' pixels in memory.
struct DecodedImage {
  explicit DecodedImage(VipsImage* image) : image(image) {}
  ~DecodedImage() { g_object_unref(image); }
  DecodedImage(const DecodedImage&) = delete;
  DecodedImage& operator=(const DecodedImage&) = delete;

  VipsImage* image;
};

namespace imaging {
namespace {

// A picture cut short decodes partly grey; it fails instead, like data that is no image.
constexpr const char* kLoaderOptions = "fail_on=truncated";

Warn warnings = nullptr;

void logLibraryMessage(const gchar* /*domain*/, GLogLevelFlags /*level*/, const gchar* message, gpointer) {
  if (warnings) warnings(message ? message : "");
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

// JPEG and HEIC shrink while they load, so even a very large photo makes a thumbnail cheaply;
// every other format decodes each pixel first. A few bytes can declare a vast canvas (a GIF frame
// placed far off its 1 x 1 screen asks for 183 million pixels): refuse it from the header.
constexpr double kMaxDecodedPixels = 100e6;
constexpr double kMaxShrunkPixels = 1e9;

bool decodable(VipsImage* header) {
  if (!header) return false;
  const char* loader = nullptr;
  const std::string_view name =
      vips_image_get_string(header, "vips-loader", &loader) == 0 && loader ? loader : "";
  const bool shrinksWhileLoading = name.starts_with("jpegload") || name.starts_with("heifload");
  const double pixels =
      static_cast<double>(vips_image_get_width(header)) * static_cast<double>(vips_image_get_height(header));
  return pixels <= (shrinksWhileLoading ? kMaxShrunkPixels : kMaxDecodedPixels);
}

// Runs one libvips step that makes a new image from `in`; none when it fails.
template <class Step>
Owned step(VipsImage* in, Step operation) {
  VipsImage* out = nullptr;
  if (operation(in, &out) != 0) {
    if (out) g_object_unref(out);
    vips_error_clear();
    return nullptr;
  }
  return Owned(out);
}

// Decodes every pixel now: a damaged file fails here rather than when someone reads it, and
// the image no longer refers to the caller's buffer.
std::shared_ptr<const DecodedImage> inMemory(VipsImage* thumbnail) {
  const Owned lazy(thumbnail);
  VipsImage* copied = vips_image_copy_memory(lazy.get());
  if (!copied) {
    vips_error_clear();
    return nullptr;
  }
  return std::make_shared<const DecodedImage>(copied);
}

std::shared_ptr<const DecodedImage> failed() {
  vips_error_clear();
  return nullptr;
}

}  // namespace

bool startVips(Warn warn) {
  static std::once_flag started;
  static bool running = false;
  std::call_once(started, [&] {
    warnings = warn;
    running = VIPS_INIT("quillo") == 0;
    if (!running) return;
    // Cached operations are keyed by the buffer's address, which the next copy may reuse with
    // other bytes; every decode is fresh.
    vips_cache_set_max(0);
    // Its warnings would go straight to standard error, which belongs to the program's output.
    g_log_set_handler("VIPS", static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE),
                      logLibraryMessage, nullptr);
  });
  return running;
}

std::shared_ptr<const DecodedImage> vipsDecode(std::span<const std::uint8_t> data, int maxPixelSize) {
  if (data.empty()) return nullptr;
  if (!decodable(Owned(vips_image_new_from_buffer(data.data(), data.size(), kLoaderOptions, nullptr)).get()))
    return failed();
  VipsImage* thumbnail = nullptr;
  // The box is square, so the longer side decides; "down" never enlarges a small image.
  if (vips_thumbnail_buffer(const_cast<std::uint8_t*>(data.data()), data.size(), &thumbnail, maxPixelSize,
                            "height", maxPixelSize, "size", VIPS_SIZE_DOWN, "option_string", kLoaderOptions,
                            nullptr) != 0) {
    if (thumbnail) g_object_unref(thumbnail);
    return failed();
  }
  return inMemory(thumbnail);
}

std::shared_ptr<const DecodedImage> vipsDecodeFile(const std::string& file, int maxPixelSize) {
  VipsImage* thumbnail = nullptr;
  // A file's loader options travel in brackets after its name: the file form takes no option string.
  const std::string named = file + "[" + kLoaderOptions + "]";
  if (!decodable(Owned(vips_image_new_from_file(named.c_str(), nullptr)).get())) return failed();
  if (vips_thumbnail(named.c_str(), &thumbnail, maxPixelSize, "height", maxPixelSize, "size", VIPS_SIZE_DOWN,
                     nullptr) != 0) {
    if (thumbnail) g_object_unref(thumbnail);
    return failed();
  }
  return inMemory(thumbnail);
}

PixelSize vipsSize(const DecodedImage& image) {
  return {.width = vips_image_get_width(image.image), .height = vips_image_get_height(image.image)};
}

std::optional<Bytes> vipsPng(const DecodedImage& image) {
  void* buffer = nullptr;
  std::size_t length = 0;
  if (vips_pngsave_buffer(image.image, &buffer, &length, nullptr) != 0) {
    vips_error_clear();
    return std::nullopt;
  }
  const std::unique_ptr<void, GFree> owned(buffer);
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  return Bytes(bytes, bytes + length);
}

std::optional<std::vector<std::uint8_t>> vipsGreyPixels(const DecodedImage& image) {
  // sRGB first so that 16-bit and CMYK images come down to 8-bit colour, then over white.
  Owned colour = step(image.image, [](VipsImage* in, VipsImage** out) {
    return vips_colourspace(in, out, VIPS_INTERPRETATION_sRGB, nullptr);
  });
  if (colour && vips_image_hasalpha(colour.get())) {
    colour = step(colour.get(), [](VipsImage* in, VipsImage** out) {
      double white[] = {255, 255, 255};
      VipsArrayDouble* background = vips_array_double_new(white, 3);
      const int result = vips_flatten(in, out, "background", background, nullptr);
      vips_area_unref(VIPS_AREA(background));
      return result;
    });
  }
  if (!colour) return std::nullopt;
  const Owned grey = step(colour.get(), [](VipsImage* in, VipsImage** out) {
    return vips_colourspace(in, out, VIPS_INTERPRETATION_B_W, nullptr);
  });
  if (!grey) return std::nullopt;
  const Owned bytes =
      step(grey.get(), [](VipsImage* in, VipsImage** out) { return vips_cast_uchar(in, out, nullptr); });
  if (!bytes) return std::nullopt;
  std::size_t size = 0;
  void* memory = vips_image_write_to_memory(bytes.get(), &size);
  if (!memory) {
    vips_error_clear();
    return std::nullopt;
  }
  const std::unique_ptr<void, GFree> owned(memory);
  const auto* pixels = static_cast<const std::uint8_t*>(memory);
  return std::vector<std::uint8_t>(pixels, pixels + size);
}

std::optional<PixelSize> vipsDeclaredSize(std::span<const std::uint8_t> data) {
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

}  // namespace imaging
}  // namespace quillo::clipboard
