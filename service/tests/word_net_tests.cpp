#include <gtest/gtest.h>

#include <algorithm>

#include "quillo/service/word_net.h"

namespace quillo::service {
namespace {

bool relates(const std::vector<RelatedWord>& words, const std::string& word) {
  return std::any_of(words.begin(), words.end(),
                     [&](const RelatedWord& related) { return related.word == word; });
}

TEST(WordNet, FindsSynonymsOfAWordInItsBaseForm) {
  const WordNet wordNet(WordNet::kDefaultFolder);
  // "pictures" is looked up as "picture".
  EXPECT_TRUE(relates(wordNet.related("pictures"), "image"));
  EXPECT_TRUE(relates(wordNet.related("quieter"), "quiet"));
}

TEST(WordNet, UnknownWordHasNoRelatedWords) {
  const WordNet wordNet(WordNet::kDefaultFolder);
  EXPECT_TRUE(wordNet.related("qqzzxx").empty());
}

TEST(WordNet, MissingDataFailsToOpen) {
  EXPECT_THROW(WordNet("/nonexistent/wordnet"), std::runtime_error);
}

}  // namespace
}  // namespace quillo::service
