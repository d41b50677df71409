#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/clipboard/clipboard_image.h"
#include "quillo/clipboard/clipboard_payload.h"

namespace quillo::clipboard {

// Text recognition cannot run on this machine (its English language data is missing).
class TextRecognitionUnavailable : public std::runtime_error {
 public:
  TextRecognitionUnavailable();
};

// Reads the text in images with Tesseract (LSTM engine), so that image entries become searchable:
// in the languages given as Tesseract names them ("deu+eng"), English unless told otherwise. An image is
// decoded with its orientation applied and its longest side at most 4096 pixels; the recognised lines are
// joined with line feeds and cut to 10,000 characters.
//
// Stateless for its callers; each thread keeps its own recogniser, so calls from several threads
// run side by side.
class ClipboardTextRecognition {
 public:
  static constexpr std::size_t kCharacterBudget = 10000;

  // The text in one image; empty when it shows none. Throws base::Cancelled when `stop` was
  // requested (before or during recognition), ClipboardError invalidContent when the data is no
  // image, TextRecognitionUnavailable.
  static std::string text(std::span<const std::uint8_t> imageData, std::stop_token stop = {},
                          const std::string& languages = "eng");
  // The texts of several images in order, each after a check for cancellation, joined with line
  // feeds until 10,000 characters are collected; images without text are skipped.
  static std::string text(const std::vector<Bytes>& images, std::stop_token stop = {},
                          const std::string& languages = "eng");
  // The languages to read for a user of an ICU locale ("de_CH" gives "deu+eng"): the locale's
  // language where its data is installed, then English. Throws TextRecognitionUnavailable.
  static std::string languagesFor(std::string_view locale);
  // The image recognition works on.
  static ClipboardImage image(std::span<const std::uint8_t> data);
};

}  // namespace quillo::clipboard
