#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "quillo/core/files/file_search_interpretation.h"
#include "quillo/core/files/media_type.h"
#include "quillo/service/vocabulary.h"

namespace quillo::service {

// How a described file search reads: the kinds of file it names ("photos"), extensions named
// outright ("pdfs", "csv"), whether it asks for folders or for recent files, and the words left
// to look for in names ("beach").
struct FileQueryReading {
  std::vector<core::MediaType> types;
  std::vector<std::string> extensions;
  bool folders = false;
  bool recent = false;
  std::vector<std::string> nameWords;
};

// Pure.
FileQueryReading readFileQuery(std::string_view query, const Vocabulary& vocabulary);

// The interpretation the client acts on: an extension named outright is a specific restriction,
// one kind of file a whole category, several kinds (or folders with them) a broad search with a
// group each, nothing named an uncertain search over documents, sheets, slides, pictures and
// folders. Ranking is required exactly when words are left to look for in names; without them
// the client's most-recent-first order is the answer. Always passes the client's validation.
core::FileSearchInterpretation interpretationOf(const FileQueryReading& reading);

}  // namespace quillo::service
