#include "quillo/clipboard/clipboard_category.h"

#include <utility>

namespace quillo::clipboard {
namespace {

using Words = std::span<const std::string_view>;

struct CategoryInfo {
  ClipboardCategory category;
  std::string_view raw;
  Words words;
};

template <std::size_t N>
constexpr Words words(const std::array<std::string_view, N>& list) {
  return Words(list);
}

constexpr std::array<std::string_view, 1> kText{"text"};
constexpr std::array<std::string_view, 2> kLink{"link", "url"};
constexpr std::array<std::string_view, 3> kImage{"image", "picture", "photo"};
constexpr std::array<std::string_view, 1> kFile{"file"};
constexpr std::array<std::string_view, 1> kWeb{"web"};
constexpr std::array<std::string_view, 2> kEmail{"email", "mail"};
constexpr std::array<std::string_view, 2> kPhone{"phone", "number"};
constexpr std::array<std::string_view, 1> kAddress{"address"};
constexpr std::array<std::string_view, 1> kDate{"date"};
constexpr std::array<std::string_view, 1> kNumber{"number"};
constexpr std::array<std::string_view, 2> kColor{"color", "colour"};
constexpr std::array<std::string_view, 1> kPath{"path"};
constexpr std::array<std::string_view, 2> kToken{"token", "key"};
constexpr std::array<std::string_view, 1> kJson{"json"};
constexpr std::array<std::string_view, 2> kCode{"code", "snippet"};
constexpr std::array<std::string_view, 1> kMarkdown{"markdown"};
constexpr std::array<std::string_view, 1> kFolder{"folder"};
constexpr std::array<std::string_view, 2> kApplication{"app", "application"};
constexpr std::array<std::string_view, 1> kPdf{"pdf"};
constexpr std::array<std::string_view, 2> kVideo{"video", "movie"};
constexpr std::array<std::string_view, 2> kAudio{"audio", "sound"};
constexpr std::array<std::string_view, 2> kArchive{"archive", "zip"};
constexpr std::array<std::string_view, 1> kDocument{"document"};

// In declaration order, so that a category's position is its index.
constexpr std::array<CategoryInfo, kClipboardCategoryCount> kInfo{{
    {ClipboardCategory::text, "text", words(kText)},
    {ClipboardCategory::link, "link", words(kLink)},
    {ClipboardCategory::image, "image", words(kImage)},
    {ClipboardCategory::file, "file", words(kFile)},
    {ClipboardCategory::web, "web", words(kWeb)},
    {ClipboardCategory::email, "email", words(kEmail)},
    {ClipboardCategory::phone, "phone", words(kPhone)},
    {ClipboardCategory::address, "address", words(kAddress)},
    {ClipboardCategory::date, "date", words(kDate)},
    {ClipboardCategory::number, "number", words(kNumber)},
    {ClipboardCategory::color, "color", words(kColor)},
    {ClipboardCategory::path, "path", words(kPath)},
    {ClipboardCategory::token, "token", words(kToken)},
    {ClipboardCategory::json, "json", words(kJson)},
    {ClipboardCategory::code, "code", words(kCode)},
    {ClipboardCategory::markdown, "markdown", words(kMarkdown)},
    {ClipboardCategory::folder, "folder", words(kFolder)},
    {ClipboardCategory::application, "application", words(kApplication)},
    {ClipboardCategory::pdf, "pdf", words(kPdf)},
    {ClipboardCategory::video, "video", words(kVideo)},
    {ClipboardCategory::audio, "audio", words(kAudio)},
    {ClipboardCategory::archive, "archive", words(kArchive)},
    {ClipboardCategory::document, "document", words(kDocument)},
}};

constexpr std::array<ClipboardCategory, kClipboardCategoryCount> allCategories() {
  std::array<ClipboardCategory, kClipboardCategoryCount> all{};
  for (std::size_t index = 0; index < kInfo.size(); ++index)
    all[index] = kInfo[index].category;
  return all;
}

const CategoryInfo& info(ClipboardCategory category) {
  return kInfo[static_cast<std::size_t>(category)];
}

}  // namespace

const std::array<ClipboardCategory, kClipboardCategoryCount> kAllClipboardCategories = allCategories();

std::string_view rawValue(ClipboardCategory category) {
  return info(category).raw;
}

std::optional<ClipboardCategory> clipboardCategoryFromRaw(std::string_view raw) {
  for (const CategoryInfo& entry : kInfo) {
    if (entry.raw == raw) return entry.category;
  }
  return std::nullopt;
}

std::span<const std::string_view> searchWords(ClipboardCategory category) {
  return info(category).words;
}

}  // namespace quillo::clipboard
