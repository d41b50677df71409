#include "../fuzz_target.h"
#include "quillo/clipboard/clipboard_error.h"
#include "quillo/clipboard/clipboard_image.h"

// Copied image data: a thumbnail and its size, or refused as invalid content.
QUILLO_FUZZ_TARGET(image) {
  using namespace quillo::clipboard;
  const std::span<const std::uint8_t> bytes(data, size);
  imagePixelSize(bytes);
  try {
    pngThumbnail(bytes);
  } catch (const ClipboardError& error) {
    quillo::fuzz::require(error.code() == ClipboardError::Code::invalidContent,
                          "bad images are invalid content");
  }
  return 0;
}
