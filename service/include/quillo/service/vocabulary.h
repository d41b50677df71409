#pragma once

#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace quillo::service {

// What launcher users say, kept as data (data/launcher-vocabulary.txt, built into the program):
// words that carry no meaning here, words that count for little, what everyday words mean in a
// launcher ("louder" → volume), the cues that point at each web-search site, the words for each
// kind of file, for folders and for recency. A plain value; safe to share once made.
struct Vocabulary {
  std::unordered_set<std::string> stopWords;
  // Words that count for little in a query ("change", "open", "settings").
  std::unordered_set<std::string> weakWords;
  // A word or a two-word phrase, lower-case, and the words it means.
  std::unordered_map<std::string, std::vector<std::string>> meanings;
  // By web-search site id: words that point at the site.
  std::map<std::string, std::vector<std::string>> siteCues;
  // Words that join a site to the terms ("on", "in", "search"): never searched for.
  std::unordered_set<std::string> siteJoiners;
  // By media type raw value ("image"): the words that name it.
  std::map<std::string, std::vector<std::string>> typeWords;
  std::vector<std::string> folderWords;
  std::vector<std::string> timeWords;

  // Reads the sections "[stop]", "[weak]", "[means]", "[site ID]", "[joiners]", "[type NAME]",
  // "[folder]" and "[time]". Lines starting with "#" are comments. In "[means]" each line is
  // "word or phrase: words". Throws std::invalid_argument naming the line for anything else.
  static Vocabulary parse(std::string_view text);
  // The vocabulary built into the program.
  static const Vocabulary& builtIn();
};

}  // namespace quillo::service
