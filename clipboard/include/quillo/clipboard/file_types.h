#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::clipboard {

// The families of file types that copied files are tagged by.
enum class FileTypeFamily : std::uint8_t {
  pdf,
  image,
  movie,
  audio,
  archive,
  sourceCode,
  text,
  compositeContent,  // word-processing documents, e-books, rich text
  spreadsheet,
  presentation,
};

// File types by name extension and their families, read from the freedesktop shared-mime-info
// database (globs2, subclasses, aliases and generic-icons of /usr/share/mime) plus a few
// mappings the database lacks. Types are media types ("image/png").
//
// A type belongs to a family when it or one of its super-classes does: PDF by application/pdf,
// image, movie and audio by their media type (or a generic image icon), text by text/plain or a
// text/ media type, source code by a list of programming languages, and archive, composite
// content, spreadsheet and presentation by the generic icon of the type or, when it has none, of
// its nearest super-class that has one (so a word-processing document, which the database files
// under ZIP, is a document and not an archive).
//
// Immutable after loading; safe to share between threads.
class FileTypes {
 public:
  // Reads the database in `folder`. A missing or unreadable file leaves its part empty: every
  // extension the database would have named is then unknown.
  static FileTypes load(const std::filesystem::path& folder = "/usr/share/mime");
  // The system database, read once on first use.
  static const FileTypes& system();

  // The type of a file name extension (without the dot). A case-sensitive pattern is preferred,
  // then the lower-cased extension is matched; of several types the highest weight wins, then the
  // type name in ascending order (deterministic where the database relies on file contents).
  std::optional<std::string> typeForExtension(std::string_view extension) const;

  bool conformsTo(std::string_view type, FileTypeFamily family) const;

 private:
  struct Glob {
    int weight = 50;
    std::string type;
    // The extension as the pattern spells it, for the case-sensitive first pass.
    std::string spelling;
    bool caseSensitive = false;
  };

  std::string canonical(std::string_view type) const;
  // The type followed by all its super-classes, nearest first, each once.
  std::vector<std::string> lineage(std::string_view type) const;
  std::optional<std::string> genericIcon(const std::vector<std::string>& lineage) const;

  std::map<std::string, std::vector<Glob>, std::less<>> globsByExtension_;
  std::map<std::string, std::vector<std::string>, std::less<>> parents_;
  std::map<std::string, std::string, std::less<>> aliases_;
  std::map<std::string, std::string, std::less<>> genericIcons_;
};

}  // namespace quillo::clipboard
