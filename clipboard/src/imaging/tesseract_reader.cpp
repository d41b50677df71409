#include "tesseract_reader.h"

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <memory>
#include <vector>

namespace quillo::clipboard::imaging {
namespace {

struct EndApi {
  void operator()(tesseract::TessBaseAPI* api) const noexcept {
    api->End();
    delete api;
  }
};
using Api = std::unique_ptr<tesseract::TessBaseAPI, EndApi>;

constexpr char kEnglish[] = "eng";

// None when the languages' data is missing.
Api initialised(const std::string& languages) {
  Api created(new tesseract::TessBaseAPI());
  if (created->Init(nullptr, languages.c_str(), tesseract::OEM_LSTM_ONLY) != 0) return nullptr;
  // Progress and diagnostics would go to standard error, which belongs to the caller.
  created->SetVariable("debug_file", "/dev/null");
  created->SetPageSegMode(tesseract::PSM_AUTO);
  return created;
}

// Loading the language models takes a good part of a second; each thread keeps the ones it
// loaded last. None when they cannot be loaded.
tesseract::TessBaseAPI* recogniser(const std::string& languages) {
  thread_local Api api;
  thread_local std::string loaded;
  if (!api || loaded != languages) {
    api.reset();
    api = initialised(languages);
    loaded = languages;
  }
  return api.get();
}

bool cancelRequested(void* stop, int /*words*/) {
  return static_cast<std::stop_token*>(stop)->stop_requested();
}

struct DeleteText {
  void operator()(char* text) const noexcept { delete[] text; }
};

std::vector<std::string> recognisedLines(tesseract::TessBaseAPI& api) {
  std::vector<std::string> lines;
  const std::unique_ptr<tesseract::ResultIterator> line(api.GetIterator());
  if (!line) return lines;
  do {
    const std::unique_ptr<char, DeleteText> text(line->GetUTF8Text(tesseract::RIL_TEXTLINE));
    if (text) lines.emplace_back(text.get());
  } while (line->Next(tesseract::RIL_TEXTLINE));
  return lines;
}

}  // namespace

Recognised tesseractRecognise(std::span<const std::uint8_t> greyPixels, PixelSize size,
                              const std::string& languages, std::stop_token stop) {
  tesseract::TessBaseAPI* api = recogniser(languages);
  if (api == nullptr) return {.status = Recognised::Status::unavailable};
  api->SetImage(greyPixels.data(), size.width, size.height, 1, size.width);
  // Screenshots carry no resolution; this keeps the engine from guessing one aloud.
  api->SetSourceResolution(144);
  tesseract::ETEXT_DESC monitor;
  monitor.cancel = cancelRequested;
  monitor.cancel_this = &stop;
  const int failed = api->Recognize(&monitor);
  if (stop.stop_requested()) {
    api->Clear();
    return {.status = Recognised::Status::cancelled};
  }
  Recognised recognised;
  if (failed == 0) recognised.lines = recognisedLines(*api);
  api->Clear();
  return recognised;
}

// Read by an engine that loads its configuration only, not a model.
std::set<std::string> tesseractLanguages() {
  std::vector<std::string> names{"tessedit_init_config_only"};
  std::vector<std::string> values{"1"};
  const Api probe(new tesseract::TessBaseAPI());
  std::vector<std::string> languages;
  if (probe->Init(nullptr, kEnglish, tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values, false) == 0)
    probe->GetAvailableLanguagesAsVector(&languages);
  return std::set<std::string>(languages.begin(), languages.end());
}

}  // namespace quillo::clipboard::imaging
