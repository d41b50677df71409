#pragma once

#include <string>
#include <string_view>

namespace quillo::app {

// The readable text of an RTF document: its characters with paragraph and line breaks as line
// feeds, without formatting, tables of fonts, colours and styles, pictures or other hidden
// destinations. Enough to title and search a rich-text copy; not a converter.
std::string rtfPlainText(std::string_view rtf);

}  // namespace quillo::app
