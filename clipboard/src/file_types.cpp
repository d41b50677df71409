#include "quillo/clipboard/file_types.h"

#include <algorithm>
#include <array>
#include <deque>
#include <fstream>
#include <utility>

#include "quillo/base/log.h"

namespace quillo::clipboard {
namespace {

const base::log::Logger kFileTypesLog("clipboard");

// Extensions the database does not know, or files under a type that copied files rarely are
// (".ts" is a transport stream there; a copied .ts file is far more often TypeScript). These win.
constexpr std::array<std::pair<std::string_view, std::string_view>, 10> kExtraGlobs{{
    {"swift", "text/x-swift"},
    {"ts", "text/x-typescript"},
    {"tsx", "text/x-typescript"},
    {"jsx", "application/javascript"},
    {"bash", "application/x-shellscript"},
    {"zsh", "application/x-shellscript"},
    {"kts", "text/x-kotlin"},
    {"heics", "image/heif"},
    {"plist", "application/x-plist"},
    {"webarchive", "application/x-webarchive"},
}};

// Super-classes of the types above that the database lacks.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kExtraParents{{
    {"text/x-swift", "text/plain"},
    {"text/x-typescript", "text/plain"},
    {"application/x-plist", "application/xml"},
}};

// Programming languages: a type is source code when it or a super-class is one of these.
constexpr std::array<std::string_view, 44> kSourceCodeTypes{
    "text/x-csrc",        "text/x-chdr",
    "text/x-c++src",      "text/x-c++hdr",
    "text/x-objcsrc",     "text/x-objc++src",
    "text/x-java",        "text/x-python",
    "text/x-python3",     "text/rust",
    "text/x-go",          "application/javascript",
    "text/javascript",    "application/x-shellscript",
    "application/x-perl", "application/x-ruby",
    "application/x-php",  "text/x-csharp",
    "text/x-kotlin",      "text/x-scala",
    "text/x-haskell",     "text/x-lua",
    "text/x-pascal",      "text/x-fortran",
    "text/x-swift",       "text/x-typescript",
    "text/x-makefile",    "text/x-cmake",
    "text/x-dart",        "text/x-scss",
    "text/x-sass",        "text/css",
    "application/sql",    "text/x-sql",
    "text/x-erlang",      "text/x-elixir",
    "text/x-ocaml",       "text/x-common-lisp",
    "text/x-scheme",      "text/x-tcl",
    "text/tcl",           "text/x-vala",
    "text/x-d",           "text/x-matlab",
};

// Data formats that the database files under a language (JSON under JavaScript): not code.
constexpr std::array<std::string_view, 1> kNotSourceCode{"application/json"};

std::string lowercasedAscii(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
  return result;
}

std::vector<std::string_view> split(std::string_view line, char separator) {
  std::vector<std::string_view> fields;
  while (true) {
    const auto at = line.find(separator);
    fields.push_back(line.substr(0, at));
    if (at == std::string_view::npos) return fields;
    line.remove_prefix(at + 1);
  }
}

// Calls `row` with each line of a database file that is neither empty nor a comment.
template <class Row>
void readLines(const std::filesystem::path& file, Row row) {
  std::ifstream stream(file);
  if (!stream) {
    kFileTypesLog.warning("File type database file {} could not be read", file.string());
    return;
  }
  std::string line;
  while (std::getline(stream, line)) {
    if (line.empty() || line.front() == '#') continue;
    row(std::string_view(line));
  }
}

bool startsWithMedia(std::string_view type, std::string_view media) {
  return type.size() > media.size() && type.starts_with(media) && type[media.size()] == '/';
}

}  // namespace

FileTypes FileTypes::load(const std::filesystem::path& folder) {
  FileTypes types;
  readLines(folder / "globs2", [&](std::string_view line) {
    const auto fields = split(line, ':');
    if (fields.size() < 3) return;
    const std::string_view pattern = fields[2];
    // Only plain "*.extension" patterns name an extension; the others need the whole file name.
    if (!pattern.starts_with("*.") || pattern.find_first_of("*?[", 1) != std::string_view::npos) return;
    const std::string_view extension = pattern.substr(2);
    if (extension.empty() || extension.find('.') != std::string_view::npos) return;
    Glob glob{.weight = std::atoi(std::string(fields[0]).c_str()),
              .type = std::string(fields[1]),
              .spelling = std::string(extension)};
    if (fields.size() > 3) {
      for (const auto flag : split(fields[3], ','))
        glob.caseSensitive = glob.caseSensitive || flag == "cs";
    }
    types.globsByExtension_[lowercasedAscii(extension)].push_back(std::move(glob));
  });
  readLines(folder / "subclasses", [&](std::string_view line) {
    const auto fields = split(line, ' ');
    if (fields.size() != 2) return;
    auto& parents = types.parents_[std::string(fields[0])];
    if (std::find(parents.begin(), parents.end(), fields[1]) == parents.end())
      parents.emplace_back(fields[1]);
  });
  readLines(folder / "aliases", [&](std::string_view line) {
    const auto fields = split(line, ' ');
    if (fields.size() == 2) types.aliases_.emplace(fields[0], fields[1]);
  });
  readLines(folder / "generic-icons", [&](std::string_view line) {
    const auto fields = split(line, ':');
    if (fields.size() == 2) types.genericIcons_.emplace(fields[0], fields[1]);
  });
  for (const auto& [child, parent] : kExtraParents) {
    auto& parents = types.parents_[std::string(child)];
    if (parents.empty()) parents.emplace_back(parent);
  }
  // Parents in a fixed order, so that the nearest super-class with an icon never depends on
  // the database file's order.
  for (auto& [type, parents] : types.parents_)
    std::sort(parents.begin(), parents.end());
  return types;
}

const FileTypes& FileTypes::system() {
  static const FileTypes types = load();
  return types;
}

std::optional<std::string> FileTypes::typeForExtension(std::string_view extension) const {
  if (extension.empty()) return std::nullopt;
  const std::string lowered = lowercasedAscii(extension);
  for (const auto& [extra, type] : kExtraGlobs) {
    if (extra == lowered) return std::string(type);
  }
  const auto found = globsByExtension_.find(lowered);
  if (found == globsByExtension_.end()) return std::nullopt;

  struct Candidate {
    int weight;
    std::string_view type;
  };
  std::vector<Candidate> exact;
  std::vector<Candidate> folded;
  for (const auto& glob : found->second) {
    if (glob.spelling == extension) {
      exact.push_back({glob.weight, glob.type});
    } else if (!glob.caseSensitive) {
      folded.push_back({glob.weight, glob.type});
    }
  }
  const auto& candidates = exact.empty() ? folded : exact;
  if (candidates.empty()) return std::nullopt;
  const auto best = std::min_element(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) {
    return a.weight != b.weight ? a.weight > b.weight : a.type < b.type;
  });
  return canonical(best->type);
}

std::string FileTypes::canonical(std::string_view type) const {
  const auto alias = aliases_.find(type);
  return alias == aliases_.end() ? std::string(type) : alias->second;
}

std::vector<std::string> FileTypes::lineage(std::string_view type) const {
  std::vector<std::string> result{canonical(type)};
  // Breadth first, so that nearer super-classes come first; each type once, which also ends
  // any cycle a damaged database might have.
  for (std::size_t next = 0; next < result.size(); ++next) {
    const auto parents = parents_.find(result[next]);
    if (parents == parents_.end()) continue;
    for (const auto& parent : parents->second) {
      std::string name = canonical(parent);
      if (std::find(result.begin(), result.end(), name) == result.end()) result.push_back(std::move(name));
    }
  }
  return result;
}

std::optional<std::string> FileTypes::genericIcon(const std::vector<std::string>& lineage) const {
  for (const auto& type : lineage) {
    const auto icon = genericIcons_.find(type);
    if (icon != genericIcons_.end()) return icon->second;
  }
  return std::nullopt;
}

bool FileTypes::conformsTo(std::string_view type, FileTypeFamily family) const {
  const auto types = lineage(type);
  const auto any = [&](auto predicate) { return std::any_of(types.begin(), types.end(), predicate); };
  const auto icon = [&] { return genericIcon(types); };
  switch (family) {
    case FileTypeFamily::pdf:
      return any([](const std::string& t) { return t == "application/pdf"; });
    case FileTypeFamily::image:
      return any([](const std::string& t) { return startsWithMedia(t, "image"); }) ||
             icon() == "image-x-generic";
    case FileTypeFamily::movie:
      return any([](const std::string& t) { return startsWithMedia(t, "video"); });
    case FileTypeFamily::audio:
      return any([](const std::string& t) { return startsWithMedia(t, "audio"); });
    case FileTypeFamily::archive:
      return icon() == "package-x-generic";
    case FileTypeFamily::sourceCode:
      for (const auto& t : types) {
        if (std::find(kNotSourceCode.begin(), kNotSourceCode.end(), t) != kNotSourceCode.end()) return false;
        if (std::find(kSourceCodeTypes.begin(), kSourceCodeTypes.end(), t) != kSourceCodeTypes.end())
          return true;
      }
      return false;
    case FileTypeFamily::text:
      return any([](const std::string& t) { return startsWithMedia(t, "text"); });
    case FileTypeFamily::compositeContent:
      return icon() == "x-office-document";
    case FileTypeFamily::spreadsheet:
      return icon() == "x-office-spreadsheet";
    case FileTypeFamily::presentation:
      return icon() == "x-office-presentation";
  }
  return false;
}

}  // namespace quillo::clipboard
