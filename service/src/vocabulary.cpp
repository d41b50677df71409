#include "quillo/service/vocabulary.h"

#include <stdexcept>

#include "quillo/service/text_analysis.h"

namespace quillo::service {

// Generated from data/launcher-vocabulary.txt by the build.
extern const std::string_view kLauncherVocabulary;

namespace {

std::vector<std::string> wordsOf(std::string_view text) {
  return rankingWords(text);
}

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words)
    text += (text.empty() ? "" : " ") + word;
  return text;
}

}  // namespace

Vocabulary Vocabulary::parse(std::string_view text) {
  Vocabulary vocabulary;
  std::string section;
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    ++lineNumber;
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r'))
      line.remove_suffix(1);
    if (line.empty() || line.starts_with('#')) continue;
    const auto bad = [&](std::string_view why) {
      return std::invalid_argument("vocabulary line " + std::to_string(lineNumber) + ": " + std::string(why));
    };
    if (line.starts_with('[')) {
      if (!line.ends_with(']')) throw bad("a section name ends with ]");
      section = std::string(line.substr(1, line.size() - 2));
      continue;
    }
    const auto words = [&] { return wordsOf(line); };
    const auto append = [](std::vector<std::string>& to, const std::vector<std::string>& more) {
      to.insert(to.end(), more.begin(), more.end());
    };
    if (section == "stop") {
      for (std::string& word : words())
        vocabulary.stopWords.insert(std::move(word));
    } else if (section == "weak") {
      for (std::string& word : words())
        vocabulary.weakWords.insert(std::move(word));
    } else if (section == "joiners") {
      for (std::string& word : words())
        vocabulary.siteJoiners.insert(std::move(word));
    } else if (section == "means") {
      const std::size_t colon = line.find(':');
      if (colon == std::string_view::npos) throw bad("a meaning is written \"word: words\"");
      const std::vector<std::string> key = wordsOf(line.substr(0, colon));
      if (key.empty() || key.size() > 2) throw bad("a meaning is given for one word or two");
      append(vocabulary.meanings[joined(key)], wordsOf(line.substr(colon + 1)));
    } else if (section.starts_with("site ")) {
      append(vocabulary.siteCues[section.substr(5)], words());
    } else if (section.starts_with("type ")) {
      append(vocabulary.typeWords[section.substr(5)], words());
    } else if (section == "folder") {
      append(vocabulary.folderWords, words());
    } else if (section == "time") {
      append(vocabulary.timeWords, words());
    } else {
      throw bad("unknown section [" + section + "]");
    }
  }
  return vocabulary;
}

const Vocabulary& Vocabulary::builtIn() {
  static const Vocabulary vocabulary = parse(kLauncherVocabulary);
  return vocabulary;
}

}  // namespace quillo::service
