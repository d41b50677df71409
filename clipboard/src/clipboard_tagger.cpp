#include "quillo/clipboard/clipboard_tagger.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "quillo/base/characters.h"
#include "quillo/base/unicode.h"
#include "recognizers.h"
#include "tagging_expressions.h"
#include "url_parts.h"

namespace quillo::clipboard {
namespace {

constexpr std::size_t kTextBudget = 10000;
constexpr std::size_t kHashLikeLength = 20;
constexpr std::size_t kSingleValueLength = 8;

struct Expressions {
  std::unique_ptr<icu::RegexPattern> keyFormat = recognizers::compile(expressions::kKeyFormat);
  std::unique_ptr<icu::RegexPattern> email =
      recognizers::compile(expressions::kEmail, UREGEX_CASE_INSENSITIVE);
  std::unique_ptr<icu::RegexPattern> color =
      recognizers::compile(expressions::kColor, UREGEX_CASE_INSENSITIVE);
  std::unique_ptr<icu::RegexPattern> number =
      recognizers::compile(expressions::kNumber, UREGEX_CASE_INSENSITIVE);
  std::unique_ptr<icu::RegexPattern> path = recognizers::compile(expressions::kPath, UREGEX_CASE_INSENSITIVE);
  std::unique_ptr<icu::RegexPattern> keysPage = recognizers::compile(expressions::kKeysPage);
  std::unique_ptr<icu::RegexPattern> markdownInline = recognizers::compile(expressions::kMarkdownInline);
};

const Expressions& compiled() {
  static const Expressions expressions;
  return expressions;
}

icu::UnicodeString unicode(std::string_view text) {
  return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

// Whether the expression matches anywhere in the text (anchors decide the rest).
bool contains(const icu::RegexPattern& pattern, std::string_view text) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::UnicodeString subject = unicode(text);
  const std::unique_ptr<icu::RegexMatcher> matcher(pattern.matcher(subject, status));
  return U_SUCCESS(status) && matcher->find(status) && U_SUCCESS(status);
}

// Calls `visit` with each scalar of well-formed UTF-8 (U+FFFD for ill-formed bytes) until it
// returns true; whether one did.
template <class Visit>
bool anyScalar(std::string_view text, Visit visit) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  for (int32_t index = 0; index < length;) {
    UChar32 c;
    U8_NEXT(bytes, index, length, c);
    if (visit(c < 0 ? 0xFFFD : c)) return true;
  }
  return false;
}

bool isNewline(UChar32 c) {
  return c == 0x0A || c == 0x0B || c == 0x0C || c == 0x0D || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool isQuote(char c) {
  return c == '\'' || c == '"' || c == '`';
}

// Trimmed of white space and line breaks, then of quote characters.
std::string_view bareValue(std::string_view text) {
  std::string_view value = base::trimmedWhiteSpace(text);
  while (!value.empty() && isQuote(value.front()))
    value.remove_prefix(1);
  while (!value.empty() && isQuote(value.back()))
    value.remove_suffix(1);
  return value;
}

bool hasWhiteSpace(std::string_view text) {
  return anyScalar(text, [](UChar32 c) { return u_isUWhiteSpace(c) != 0; });
}

// The lines between line breaks, empty ones left out, each trimmed of white space.
std::vector<std::string_view> lines(std::string_view text) {
  std::vector<std::string_view> result;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  int32_t lineStart = 0;
  for (int32_t index = 0; index <= length;) {
    const int32_t at = index;
    UChar32 c = 0x0A;
    if (index < length)
      U8_NEXT(bytes, index, length, c);
    else
      ++index;
    if (!isNewline(c)) continue;
    if (at > lineStart) {
      result.push_back(base::trimmedWhiteSpace(
          text.substr(static_cast<std::size_t>(lineStart), static_cast<std::size_t>(at - lineStart))));
    }
    lineStart = index;
  }
  return result;
}

bool startsWithAny(std::string_view line, std::span<const std::string_view> prefixes) {
  return std::any_of(prefixes.begin(), prefixes.end(),
                     [&](std::string_view prefix) { return line.starts_with(prefix); });
}

bool isCodeLine(std::string_view line) {
  return line.ends_with(';') || line.ends_with('{') || line == "}" ||
         line.find("=>") != std::string_view::npos || line.find(" -> ") != std::string_view::npos ||
         startsWithAny(line, expressions::kCodePrefixes);
}

bool isMarkdownLine(std::string_view line) {
  return startsWithAny(line, expressions::kMarkdownPrefixes) || contains(*compiled().markdownInline, line);
}

ClipboardCategory kindCategory(ClipboardKind kind) {
  switch (kind) {
    case ClipboardKind::text:
      return ClipboardCategory::text;
    case ClipboardKind::link:
      return ClipboardCategory::link;
    case ClipboardKind::image:
      return ClipboardCategory::image;
    case ClipboardKind::file:
      return ClipboardCategory::file;
  }
  return ClipboardCategory::text;
}

ClipboardCategory detectedCategory(DetectedType type) {
  switch (type) {
    case DetectedType::date:
      return ClipboardCategory::date;
    case DetectedType::address:
      return ClipboardCategory::address;
    case DetectedType::phoneNumber:
      return ClipboardCategory::phone;
  }
  return ClipboardCategory::date;
}

// The path of a URL: decoded for a file URL, as written otherwise.
std::string urlPath(const base::Url& url) {
  if (auto path = url.filePath()) return *path;
  if (auto parts = urlParts(url.text)) return parts->path;
  return {};
}

}  // namespace

ClipboardTagger::ClipboardTagger(ClipboardTaggerOptions options)
    : detector_({.phoneRegion = std::move(options.phoneRegion)}),
      fileTypes_(options.fileTypes ? options.fileTypes : &FileTypes::system()) {}

std::optional<ClipboardCategory> ClipboardTagger::valueCategory(std::string_view text) const {
  const std::string_view value = bareValue(text);
  const auto& expressions = compiled();
  if (contains(*expressions.keyFormat, value)) return ClipboardCategory::token;
  if (contains(*expressions.email, value)) return ClipboardCategory::email;
  if (contains(*expressions.color, value)) return ClipboardCategory::color;
  if (contains(*expressions.number, value)) return ClipboardCategory::number;
  if (contains(*expressions.path, value)) return ClipboardCategory::path;
  if (const auto match = detector_.firstMatch(value); match && match->length * 10 >= utf16Length(value) * 8)
    return detectedCategory(match->type);
  // What has no known prefix but reads like a hash, a key or a random secret.
  if (base::characterCount(value) >= kHashLikeLength && !hasWhiteSpace(value) &&
      value.find("://") == std::string_view::npos &&
      anyScalar(value, [](UChar32 c) { return u_isalpha(c) != 0; }) &&
      anyScalar(value, [](UChar32 c) { return u_isdigit(c) != 0; }))
    return ClipboardCategory::token;
  return std::nullopt;
}

std::vector<ClipboardCategory> ClipboardTagger::textCategories(std::string_view text) const {
  const std::string_view trimmed = base::trimmedWhiteSpace(text);
  if (trimmed.empty()) return {};
  if (!anyScalar(trimmed, isNewline)) {
    if (const auto category = valueCategory(trimmed)) return {*category};
    return {};
  }
  if ((trimmed.front() == '{' || trimmed.front() == '[') && nlohmann::json::accept(trimmed))
    return {ClipboardCategory::json};

  const auto all = lines(trimmed);
  std::vector<ClipboardCategory> categories;
  const auto codeLines = static_cast<std::size_t>(std::count_if(all.begin(), all.end(), isCodeLine));
  if (codeLines >= 2 && codeLines * 10 >= all.size() * 3) categories.push_back(ClipboardCategory::code);
  const auto markdownLines = static_cast<std::size_t>(std::count_if(all.begin(), all.end(), isMarkdownLine));
  if (markdownLines >= 2 && categories.empty()) categories.push_back(ClipboardCategory::markdown);
  return categories;
}

std::vector<ClipboardCategory> ClipboardTagger::fileCategories(const base::Url& url) const {
  const std::string path = urlPath(url);
  const std::string extension = pathExtension(path);
  if (base::lowercased(extension) == "app") return {ClipboardCategory::application};
  if (path.ends_with('/')) return {ClipboardCategory::folder};
  const auto type = fileTypes_->typeForExtension(extension);
  if (!type) return {};
  constexpr std::pair<FileTypeFamily, ClipboardCategory> kFamilies[] = {
      {FileTypeFamily::pdf, ClipboardCategory::pdf},
      {FileTypeFamily::image, ClipboardCategory::image},
      {FileTypeFamily::movie, ClipboardCategory::video},
      {FileTypeFamily::audio, ClipboardCategory::audio},
      {FileTypeFamily::archive, ClipboardCategory::archive},
      {FileTypeFamily::sourceCode, ClipboardCategory::code},
      {FileTypeFamily::text, ClipboardCategory::document},
      {FileTypeFamily::compositeContent, ClipboardCategory::document},
      {FileTypeFamily::spreadsheet, ClipboardCategory::document},
      {FileTypeFamily::presentation, ClipboardCategory::document},
  };
  for (const auto& [family, category] : kFamilies) {
    if (fileTypes_->conformsTo(*type, family)) return {category};
  }
  return {};
}

bool ClipboardTagger::isKeysPage(const base::Url& url) {
  const auto parts = urlParts(url.text);
  if (!parts) return false;
  std::string page = parts->path;
  if (parts->query) page += "?" + *parts->query;
  return contains(*compiled().keysPage, base::lowercased(page));
}

bool ClipboardTagger::isSingleValue(std::string_view text) {
  const std::string_view value = bareValue(text);
  return base::characterCount(value) >= kSingleValueLength && !hasWhiteSpace(value);
}

std::vector<ClipboardTag> ClipboardTagger::tags(ClipboardKind kind, std::string_view text,
                                                std::string_view appName, std::string_view appID,
                                                const std::optional<base::Url>& sourceURL,
                                                const std::vector<base::Url>& fileURLs) const {
  std::vector<ClipboardCategory> categories{kindCategory(kind)};
  std::optional<std::string> site;
  std::optional<std::string> source;
  std::optional<std::string> linkSite;
  std::vector<std::string> extensions;

  const auto sourcePage = sourceURL ? urlParts(sourceURL->text) : std::nullopt;
  if (sourcePage && !sourcePage->host.empty()) {
    categories.push_back(ClipboardCategory::web);
    site = std::string(withoutWww(sourcePage->host));
    source = sourceURL->text;
  }

  switch (kind) {
    case ClipboardKind::text: {
      for (const auto category : textCategories(base::characterPrefix(text, kTextBudget)))
        categories.push_back(category);
      // A value copied from a page about keys or passwords is treated as secret.
      if (sourceURL && isKeysPage(*sourceURL) && isSingleValue(text))
        categories.push_back(ClipboardCategory::token);
      break;
    }
    case ClipboardKind::link: {
      const std::string address = base::lowercased(base::trimmedWhiteSpace(text));
      if (address.starts_with("mailto:")) {
        categories.push_back(ClipboardCategory::email);
      } else if (const auto link = urlParts(address); link && !link->host.empty()) {
        linkSite = std::string(withoutWww(link->host));
      }
      break;
    }
    case ClipboardKind::file:
      for (const auto& url : fileURLs) {
        for (const auto category : fileCategories(url))
          categories.push_back(category);
        if (auto extension = base::lowercased(pathExtension(urlPath(url))); !extension.empty())
          extensions.push_back(std::move(extension));
      }
      break;
    case ClipboardKind::image:
      break;
  }

  std::vector<ClipboardTag> tags;
  const auto add = [&](ClipboardTag::Key key, std::string value) {
    ClipboardTag tag{.key = key, .value = std::move(value)};
    if (std::find(tags.begin(), tags.end(), tag) == tags.end()) tags.push_back(std::move(tag));
  };
  if (!appName.empty()) add(ClipboardTag::Key::app, std::string(appName));
  if (!appID.empty()) add(ClipboardTag::Key::bundle, std::string(appID));
  if (site) add(ClipboardTag::Key::site, *site);
  if (source) add(ClipboardTag::Key::source, *source);
  if (linkSite) add(ClipboardTag::Key::linkSite, *linkSite);
  for (auto& extension : extensions)
    add(ClipboardTag::Key::fileExtension, std::move(extension));
  for (const auto category : categories)
    add(ClipboardTag::Key::category, std::string(rawValue(category)));
  return tags;
}

}  // namespace quillo::clipboard
