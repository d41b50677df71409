#include "quillo/service/text_analysis.h"

#include <libstemmer.h>
#include <unicode/uchar.h>

#include <memory>

#include "quillo/base/unicode.h"

namespace quillo::service {
namespace {

struct StemmerDeleter {
  void operator()(sb_stemmer* stemmer) const { sb_stemmer_delete(stemmer); }
};

}  // namespace

std::vector<std::string> rankingWords(std::string_view text) {
  std::vector<std::string> words;
  std::u32string word;
  const auto flush = [&] {
    if (!word.empty()) words.push_back(base::utf8(word));
    word.clear();
  };
  for (const char32_t scalar : base::lowercasedScalars(text)) {
    if (scalar == U'\'' || scalar == U'\u2019') continue;
    if (u_isalnum(static_cast<UChar32>(scalar))) {
      word.push_back(scalar);
    } else {
      flush();
    }
  }
  flush();
  return words;
}

std::string stem(std::string_view word) {
  thread_local std::unique_ptr<sb_stemmer, StemmerDeleter> stemmer(sb_stemmer_new("english", "UTF_8"));
  if (!stemmer || word.empty()) return std::string(word);
  const sb_symbol* stemmed = sb_stemmer_stem(stemmer.get(), reinterpret_cast<const sb_symbol*>(word.data()),
                                             static_cast<int>(word.size()));
  if (stemmed == nullptr) return std::string(word);
  return std::string(reinterpret_cast<const char*>(stemmed),
                     static_cast<std::size_t>(sb_stemmer_length(stemmer.get())));
}

}  // namespace quillo::service
