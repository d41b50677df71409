#pragma once

#include <string>
#include <vector>

#include "quillo/base/url.h"
#include "quillo/platform/pasteboard.h"

namespace quillo::app {

// A file as a file manager copies it: its URL, which pastes the file itself (text/uri-list and
// the file managers' own list on Linux), and its path as text for fields that take only text.
std::vector<platform::PasteboardItem> fileCopy(const base::Url& file);

// The file's path as text.
std::vector<platform::PasteboardItem> pathCopy(const std::string& path);

}  // namespace quillo::app
