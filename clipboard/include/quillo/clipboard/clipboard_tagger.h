#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/base/url.h"
#include "quillo/clipboard/clipboard_category.h"
#include "quillo/clipboard/clipboard_kind.h"
#include "quillo/clipboard/clipboard_tag.h"
#include "quillo/clipboard/data_detector.h"
#include "quillo/clipboard/file_types.h"

namespace quillo::clipboard {

struct ClipboardTaggerOptions {
  // The region whose phone numbers are read without a country code; phoneRegionForLocale of
  // the user's locale.
  std::string phoneRegion = "US";
  // The file type database; the system's when none is given. Must outlive the tagger.
  const FileTypes* fileTypes = nullptr;
};

// Classifies copies into categories and tags them with where they came from. Text that looks
// like a key, a token or a hash gets the category token, which hides it in the history and
// makes the store forget it soon.
//
// Holds only its configuration: every function is pure, and a tagger may be shared between
// threads.
class ClipboardTagger {
 public:
  explicit ClipboardTagger(ClipboardTaggerOptions options = {});

  // The tags of a new copy: app, bundle, site, source, link site and extension tags, then one
  // category tag per category found, without duplicates.
  std::vector<ClipboardTag> tags(ClipboardKind kind, std::string_view text, std::string_view appName,
                                 std::string_view appID, const std::optional<base::Url>& sourceURL,
                                 const std::vector<base::Url>& fileURLs) const;

  // The categories of copied text: a single line's value category, JSON, or code and Markdown
  // by their lines.
  std::vector<ClipboardCategory> textCategories(std::string_view text) const;
  // The category of a single value (a token, an e-mail address, a colour...), first rule wins.
  std::optional<ClipboardCategory> valueCategory(std::string_view value) const;
  // The categories of a copied file: an application bundle, a folder (a URL whose path ends with
  // "/"), or the family of its extension's type.
  std::vector<ClipboardCategory> fileCategories(const base::Url& url) const;

  // Whether a page is about keys, tokens, secrets, credentials or passwords, by its address.
  static bool isKeysPage(const base::Url& url);
  // At least 8 characters and no white space, once trimmed of white space and quotes.
  static bool isSingleValue(std::string_view text);

 private:
  DataDetector detector_;
  const FileTypes* fileTypes_;
};

}  // namespace quillo::clipboard
