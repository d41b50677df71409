#include "quillo/service/word_net.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <set>
#include <stdexcept>

#include "mapped_file.h"

namespace quillo::service {
namespace {

// Far more words than a launcher's users type in a day.
constexpr std::size_t kMaxCachedWords = 50000;

enum class PartOfSpeech { noun, verb, adjective, adverb };
constexpr std::array<PartOfSpeech, 4> kPartsOfSpeech = {PartOfSpeech::noun, PartOfSpeech::verb,
                                                        PartOfSpeech::adjective, PartOfSpeech::adverb};

std::string_view fileSuffix(PartOfSpeech part) {
  switch (part) {
    case PartOfSpeech::noun:
      return "noun";
    case PartOfSpeech::verb:
      return "verb";
    case PartOfSpeech::adjective:
      return "adj";
    case PartOfSpeech::adverb:
      return "adv";
  }
  return "noun";
}

std::size_t partIndex(char symbol) {
  switch (symbol) {
    case 'n':
      return 0;
    case 'v':
      return 1;
    case 'a':
    case 's':
      return 2;
    default:
      return 3;
  }
}

// Suffix rules that undo inflections, as WordNet's own base-form search does.
struct Detachment {
  std::string_view ending;
  std::string_view replacement;
};
constexpr std::array<Detachment, 8> kNounRules{{{"s", ""},
                                                {"ses", "s"},
                                                {"xes", "x"},
                                                {"zes", "z"},
                                                {"ches", "ch"},
                                                {"shes", "sh"},
                                                {"men", "man"},
                                                {"ies", "y"}}};
constexpr std::array<Detachment, 8> kVerbRules{
    {{"s", ""}, {"ies", "y"}, {"es", "e"}, {"es", ""}, {"ed", "e"}, {"ed", ""}, {"ing", "e"}, {"ing", ""}}};
constexpr std::array<Detachment, 4> kAdjectiveRules{{{"er", ""}, {"est", ""}, {"er", "e"}, {"est", "e"}}};

std::string_view field(std::string_view& line) {
  while (!line.empty() && line.front() == ' ')
    line.remove_prefix(1);
  const std::size_t end = std::min(line.find(' '), line.size());
  const std::string_view value = line.substr(0, end);
  line.remove_prefix(end);
  return value;
}

template <class Number>
Number number(std::string_view text, int base = 10) {
  Number value{};
  std::from_chars(text.data(), text.data() + text.size(), value, base);
  return value;
}

// The line of a sorted WordNet file whose first field is `key`, found by halving.
std::optional<std::string_view> findLine(std::string_view file, std::string_view key) {
  std::size_t low = 0;
  std::size_t high = file.size();
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    std::size_t start = file.rfind('\n', middle);
    start = start == std::string_view::npos ? 0 : start + 1;
    std::size_t end = file.find('\n', start);
    if (end == std::string_view::npos) end = file.size();
    const std::string_view line = file.substr(start, end - start);
    const std::string_view lineKey = line.substr(0, std::min(line.find(' '), line.size()));
    // The licence lines at the top start with a space and sort before every word.
    const int order = line.starts_with(' ') ? -1 : lineKey.compare(key);
    if (order == 0) return line;
    if (order < 0) {
      low = end + 1;
    } else {
      high = start;
    }
  }
  return std::nullopt;
}

std::string fromLemma(std::string_view lemma) {
  std::string word(lemma);
  // Adjective lemmas may carry a marker such as "(a)".
  if (const std::size_t paren = word.find('('); paren != std::string::npos) word.resize(paren);
  std::transform(word.begin(), word.end(), word.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return word;
}

struct Synset {
  std::vector<std::string> words;
  struct Pointer {
    std::string_view symbol;
    std::uint64_t offset = 0;
    std::size_t part = 0;
    unsigned source = 0;
    unsigned target = 0;
  };
  std::vector<Pointer> pointers;
};

Synset parseSynset(std::string_view line) {
  Synset synset;
  field(line);  // offset
  field(line);  // lexicographer file
  field(line);  // synset type
  const auto wordCount = number<unsigned>(field(line), 16);
  for (unsigned i = 0; i < wordCount; ++i) {
    synset.words.push_back(fromLemma(field(line)));
    field(line);  // lexical id
  }
  const auto pointerCount = number<unsigned>(field(line));
  for (unsigned i = 0; i < pointerCount; ++i) {
    Synset::Pointer pointer;
    pointer.symbol = field(line);
    pointer.offset = number<std::uint64_t>(field(line));
    const std::string_view part = field(line);
    pointer.part = partIndex(part.empty() ? 'n' : part.front());
    const std::string_view sourceTarget = field(line);
    const auto both = number<unsigned>(sourceTarget, 16);
    pointer.source = both >> 8;
    pointer.target = both & 0xff;
    synset.pointers.push_back(pointer);
  }
  return synset;
}

}  // namespace

struct WordNet::Files {
  struct Part {
    std::unique_ptr<MappedFile> index;
    std::unique_ptr<MappedFile> data;
    std::unique_ptr<MappedFile> exceptions;
  };
  std::array<Part, 4> parts;

  std::optional<Synset> synsetAt(std::size_t part, std::uint64_t offset) const {
    const std::string_view data = parts[part].data->text();
    if (offset >= data.size()) return std::nullopt;
    std::size_t end = data.find('\n', offset);
    if (end == std::string_view::npos) end = data.size();
    return parseSynset(data.substr(offset, end - offset));
  }

  // The base forms of `word` that the part's index holds.
  std::vector<std::string> baseForms(std::size_t part, std::string_view word) const {
    std::vector<std::string> forms;
    const auto known = [&](std::string_view form) {
      return findLine(parts[part].index->text(), form).has_value();
    };
    if (known(word)) forms.emplace_back(word);
    if (parts[part].exceptions) {
      if (auto line = findLine(parts[part].exceptions->text(), word)) {
        field(*line);
        for (std::string_view base = field(*line); !base.empty(); base = field(*line))
          if (known(base)) forms.emplace_back(base);
      }
    }
    const auto apply = [&](const auto& rules) {
      for (const Detachment& rule : rules) {
        if (word.size() <= rule.ending.size() + 1 || !word.ends_with(rule.ending)) continue;
        std::string form(word.substr(0, word.size() - rule.ending.size()));
        form += rule.replacement;
        if (known(form)) forms.push_back(std::move(form));
      }
    };
    if (part == 0) apply(kNounRules);
    if (part == 1) apply(kVerbRules);
    if (part == 2) apply(kAdjectiveRules);
    std::sort(forms.begin(), forms.end());
    forms.erase(std::unique(forms.begin(), forms.end()), forms.end());
    return forms;
  }
};

WordNet::WordNet(const std::filesystem::path& folder, Options options)
    : files_(std::make_unique<Files>()), options_(options) {
  for (const PartOfSpeech part : kPartsOfSpeech) {
    auto& files = files_->parts[static_cast<std::size_t>(part)];
    const std::string suffix(fileSuffix(part));
    files.index = std::make_unique<MappedFile>(folder / ("index." + suffix));
    files.data = std::make_unique<MappedFile>(folder / ("data." + suffix));
    if (std::filesystem::exists(folder / (suffix + ".exc")))
      files.exceptions = std::make_unique<MappedFile>(folder / (suffix + ".exc"));
  }
}

WordNet::~WordNet() = default;

std::vector<RelatedWord> WordNet::related(std::string_view word) const {
  {
    const std::lock_guard lock(mutex_);
    if (const auto found = cache_.find(std::string(word)); found != cache_.end()) return found->second;
  }
  std::vector<RelatedWord> words = lookUp(word);
  const std::lock_guard lock(mutex_);
  // Clients may send any words; the cache must not grow with them for ever.
  if (cache_.size() >= kMaxCachedWords) cache_.clear();
  cache_.emplace(std::string(word), words);
  return words;
}

std::vector<RelatedWord> WordNet::lookUp(std::string_view word) const {
  if (word.empty() || word.find(' ') != std::string_view::npos) return {};
  std::vector<RelatedWord> related;
  std::set<std::string> seen{std::string(word)};
  const auto add = [&](const std::string& candidate, Relation relation) {
    if (candidate.find('_') != std::string::npos || candidate.find('-') != std::string::npos) return;
    if (seen.insert(candidate).second) related.push_back({candidate, relation});
  };
  for (std::size_t part = 0; part < files_->parts.size(); ++part) {
    for (const std::string& base : files_->baseForms(part, word)) {
      if (base != word) add(base, Relation::synonym);
      std::optional<std::string_view> line = findLine(files_->parts[part].index->text(), base);
      if (!line) continue;
      field(*line);  // lemma
      field(*line);  // part of speech
      const auto senseCount = number<std::size_t>(field(*line));
      const auto pointerKinds = number<std::size_t>(field(*line));
      for (std::size_t i = 0; i < pointerKinds; ++i)
        field(*line);
      field(*line);  // sense count again
      field(*line);  // tagged sense count
      for (std::size_t sense = 0; sense < senseCount && sense < options_.sensesPerPartOfSpeech; ++sense) {
        const auto offset = number<std::uint64_t>(field(*line));
        const std::optional<Synset> synset = files_->synsetAt(part, offset);
        if (!synset) continue;
        const auto position = std::find(synset->words.begin(), synset->words.end(), base);
        const unsigned wordNumber =
            position == synset->words.end() ? 0 : static_cast<unsigned>(position - synset->words.begin()) + 1;
        for (const std::string& synonym : synset->words)
          add(synonym, Relation::synonym);
        for (const Synset::Pointer& pointer : synset->pointers) {
          const bool derived = pointer.symbol == "+" && (pointer.source == 0 || pointer.source == wordNumber);
          const bool broader =
              (pointer.symbol == "@" || pointer.symbol == "&") && sense < options_.broaderSenses;
          if (!derived && !broader) continue;
          const std::optional<Synset> target = files_->synsetAt(pointer.part, pointer.offset);
          if (!target) continue;
          if (derived && pointer.target > 0 && pointer.target <= target->words.size()) {
            add(target->words[pointer.target - 1], Relation::derived);
          } else if (broader) {
            for (const std::string& broaderWord : target->words)
              add(broaderWord, pointer.symbol == "&" ? Relation::synonym : Relation::broader);
          }
        }
      }
    }
  }
  return related;
}

}  // namespace quillo::service
