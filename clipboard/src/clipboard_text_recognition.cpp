#include "quillo/clipboard/clipboard_text_recognition.h"

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <memory>

#include "quillo/base/characters.h"
#include "quillo/base/errors.h"
#include "quillo/base/unicode.h"

namespace quillo::clipboard {
namespace {

struct EndApi {
  void operator()(tesseract::TessBaseAPI* api) const noexcept {
    api->End();
    delete api;
  }
};
using Api = std::unique_ptr<tesseract::TessBaseAPI, EndApi>;

// Loading the language model takes a good part of a second; each thread loads it once.
tesseract::TessBaseAPI& recogniser() {
  thread_local Api api;
  if (!api) {
    Api created(new tesseract::TessBaseAPI());
    if (created->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) != 0) throw TextRecognitionUnavailable();
    // Progress and diagnostics would go to standard error, which belongs to the caller.
    created->SetVariable("debug_file", "/dev/null");
    created->SetPageSegMode(tesseract::PSM_AUTO);
    api = std::move(created);
  }
  return *api;
}

bool cancelRequested(void* stop, int /*words*/) {
  return static_cast<std::stop_token*>(stop)->stop_requested();
}

struct DeleteText {
  void operator()(char* text) const noexcept { delete[] text; }
};

std::string recognisedLines(tesseract::TessBaseAPI& api) {
  std::string text;
  const std::unique_ptr<tesseract::ResultIterator> lines(api.GetIterator());
  if (!lines) return text;
  do {
    const std::unique_ptr<char, DeleteText> line(lines->GetUTF8Text(tesseract::RIL_TEXTLINE));
    if (!line) continue;
    const std::string_view trimmed = base::trimmedWhiteSpace(line.get());
    if (trimmed.empty()) continue;
    if (!text.empty()) text += '\n';
    text += trimmed;
  } while (lines->Next(tesseract::RIL_TEXTLINE));
  return text;
}

}  // namespace

TextRecognitionUnavailable::TextRecognitionUnavailable()
    : std::runtime_error("Text recognition is not available. Install the English language data.") {}

ClipboardImage ClipboardTextRecognition::image(std::span<const std::uint8_t> data) {
  return ClipboardImage::decode(data, ClipboardImage::kRecognitionSide);
}

std::string ClipboardTextRecognition::text(std::span<const std::uint8_t> imageData, std::stop_token stop) {
  base::throwIfCancelled(stop);
  const ClipboardImage decoded = image(imageData);
  const std::vector<std::uint8_t> pixels = decoded.greyPixels();
  auto& api = recogniser();
  api.SetImage(pixels.data(), decoded.width(), decoded.height(), 1, decoded.width());
  // Screenshots carry no resolution; this keeps the engine from guessing one aloud.
  api.SetSourceResolution(144);
  tesseract::ETEXT_DESC monitor;
  monitor.cancel = cancelRequested;
  monitor.cancel_this = &stop;
  const int failed = api.Recognize(&monitor);
  base::throwIfCancelled(stop);
  std::string text = failed == 0 ? recognisedLines(api) : std::string();
  api.Clear();
  return base::characterPrefix(text, kCharacterBudget);
}

std::string ClipboardTextRecognition::text(const std::vector<Bytes>& images, std::stop_token stop) {
  std::string collected;
  std::size_t characters = 0;
  for (const auto& image : images) {
    if (characters >= kCharacterBudget) break;
    base::throwIfCancelled(stop);
    std::string recognised = text(image, stop);
    if (recognised.empty()) continue;
    if (!collected.empty()) {
      collected += '\n';
      ++characters;
    }
    characters += base::characterCount(recognised);
    collected += recognised;
  }
  return base::characterPrefix(collected, kCharacterBudget);
}

}  // namespace quillo::clipboard
