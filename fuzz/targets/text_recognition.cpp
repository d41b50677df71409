#include "../fuzz_target.h"
#include "quillo/clipboard/clipboard_error.h"
#include "quillo/clipboard/clipboard_text_recognition.h"

// The text in a copied image: recognised, or refused as invalid content.
QUILLO_FUZZ_TARGET(text_recognition) {
  using namespace quillo::clipboard;
  try {
    const std::string text = ClipboardTextRecognition::text(std::span<const std::uint8_t>(data, size));
    quillo::fuzz::require(text.size() <= 4 * ClipboardTextRecognition::kCharacterBudget,
                          "recognised text is cut");
  } catch (const ClipboardError& error) {
    quillo::fuzz::require(error.code() == ClipboardError::Code::invalidContent,
                          "bad images are invalid content");
  }
  return 0;
}
