#include "quillo/clipboard/clipboard_text_recognition.h"

#include <unicode/locid.h>

#include "imaging_library.h"
#include "quillo/base/characters.h"
#include "quillo/base/errors.h"
#include "quillo/base/unicode.h"

namespace quillo::clipboard {
namespace {

constexpr char kEnglish[] = "eng";

const imaging::Library& recognitionLibrary() {
  const imaging::Library* library = imaging::library();
  if (library == nullptr) throw TextRecognitionUnavailable();
  return *library;
}

// The languages whose data is installed where Tesseract looks, read once.
const std::set<std::string>& installedLanguages() {
  static const std::set<std::string> installed = recognitionLibrary().installedLanguages();
  return installed;
}

// Tesseract's name for the language of an ICU locale: mostly its three-letter code.
std::string tesseractLanguage(std::string_view locale) {
  const icu::Locale parsed = icu::Locale::createCanonical(std::string(locale).c_str());
  std::string code = parsed.getISO3Language();
  // Norwegian Bokmål and Nynorsk share one model.
  if (code == "nob" || code == "nno") code = "nor";
  return code;
}

std::string joinedLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    const std::string_view trimmed = base::trimmedWhiteSpace(line);
    if (trimmed.empty()) continue;
    if (!text.empty()) text += '\n';
    text += trimmed;
  }
  return text;
}

}  // namespace

TextRecognitionUnavailable::TextRecognitionUnavailable()
    : std::runtime_error("Text recognition is not available. Install the English language data.") {}

std::string ClipboardTextRecognition::languagesFor(std::string_view locale) {
  const std::string language = tesseractLanguage(locale);
  if (language.empty() || language == kEnglish || !installedLanguages().contains(language))
    return std::string(kEnglish);
  return language + "+" + std::string(kEnglish);
}

ClipboardImage ClipboardTextRecognition::image(std::span<const std::uint8_t> data) {
  return ClipboardImage::decode(data, ClipboardImage::kRecognitionSide);
}

std::string ClipboardTextRecognition::text(std::span<const std::uint8_t> imageData, std::stop_token stop,
                                           const std::string& languages) {
  base::throwIfCancelled(stop);
  const imaging::Library& library = recognitionLibrary();
  const ClipboardImage decoded = image(imageData);
  const std::vector<std::uint8_t> pixels = decoded.greyPixels();
  const imaging::Recognised recognised =
      library.recognise(pixels, {.width = decoded.width(), .height = decoded.height()}, languages, stop);
  if (recognised.status == imaging::Recognised::Status::unavailable) throw TextRecognitionUnavailable();
  base::throwIfCancelled(stop);
  return base::characterPrefix(joinedLines(recognised.lines), kCharacterBudget);
}
std::string ClipboardTextRecognition::text(const std::vector<Bytes>& images, std::stop_token stop,
                                           const std::string& languages) {
  std::string collected;
  std::size_t characters = 0;
  for (const auto& image : images) {
    if (characters >= kCharacterBudget) break;
    base::throwIfCancelled(stop);
    std::string recognised = text(image, stop, languages);
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
