#include "quillo/clipboard/clipboard_text_recognition.h"

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>
#include <unicode/locid.h>

#include <memory>
#include <set>

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

constexpr char kEnglish[] = "eng";

Api initialised(const std::string& languages) {
  Api created(new tesseract::TessBaseAPI());
  if (created->Init(nullptr, languages.c_str(), tesseract::OEM_LSTM_ONLY) != 0)
    throw TextRecognitionUnavailable();
  // Progress and diagnostics would go to standard error, which belongs to the caller.
  created->SetVariable("debug_file", "/dev/null");
  created->SetPageSegMode(tesseract::PSM_AUTO);
  return created;
}

// The languages whose data is installed where Tesseract looks, read once by an engine that
// loads its configuration only, not a model.
const std::set<std::string>& installedLanguages() {
  static const std::set<std::string> installed = [] {
    std::vector<std::string> names{"tessedit_init_config_only"};
    std::vector<std::string> values{"1"};
    const Api probe(new tesseract::TessBaseAPI());
    std::vector<std::string> languages;
    if (probe->Init(nullptr, kEnglish, tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values, false) == 0)
      probe->GetAvailableLanguagesAsVector(&languages);
    return std::set<std::string>(languages.begin(), languages.end());
  }();
  return installed;
}

// Loading the language models takes a good part of a second; each thread keeps the ones it
// loaded last.
tesseract::TessBaseAPI& recogniser(const std::string& languages) {
  thread_local Api api;
  thread_local std::string loaded;
  if (!api || loaded != languages) {
    api.reset();
    api = initialised(languages);
    loaded = languages;
  }
  return *api;
}

// Tesseract's name for the language of an ICU locale: mostly its three-letter code.
std::string tesseractLanguage(std::string_view locale) {
  const icu::Locale parsed = icu::Locale::createCanonical(std::string(locale).c_str());
  std::string code = parsed.getISO3Language();
  // Norwegian Bokmål and Nynorsk share one model.
  if (code == "nob" || code == "nno") code = "nor";
  return code;
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
  const ClipboardImage decoded = image(imageData);
  const std::vector<std::uint8_t> pixels = decoded.greyPixels();
  auto& api = recogniser(languages);
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
