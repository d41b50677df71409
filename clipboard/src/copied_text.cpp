#include "quillo/clipboard/copied_text.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>

#include "quillo/base/characters.h"
#include "quillo/base/unicode.h"

namespace quillo::clipboard {
namespace {

bool isLineBreak(UChar32 c) {
  return c == 0x0A || c == 0x0B || c == 0x0C || c == 0x0D || c == 0x85 || c == 0x2028 || c == 0x2029;
}

}  // namespace

std::string copiedText(std::string_view text) {
  return std::string(base::trimmedWhiteSpace(text));
}

std::string titleOf(std::string_view text) {
  const std::string clean = base::sanitizedUtf8(text);
  const auto* bytes = reinterpret_cast<const uint8_t*>(clean.data());
  const auto length = static_cast<int32_t>(clean.size());
  int32_t lineStart = 0;
  for (int32_t index = 0; index <= length;) {
    const int32_t here = index;
    UChar32 c = 0x0A;
    if (index < length)
      U8_NEXT(bytes, index, length, c);
    else
      ++index;
    if (!isLineBreak(c)) continue;
    if (here > lineStart) {
      return base::characterPrefix(std::string_view(clean).substr(static_cast<std::size_t>(lineStart),
                                                                  static_cast<std::size_t>(here - lineStart)),
                                   kMaximumCopiedTitleLength);
    }
    lineStart = index;
  }
  return "";
}

ClipboardKind kindOfText(std::string_view text) {
  const std::string_view address = base::trimmedWhiteSpace(text);
  for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
    if (!base::startsWithIgnoringAsciiCase(address, scheme)) continue;
    const std::string_view rest = address.substr(scheme.size());
    const bool hasHost = !rest.empty() && rest.front() != '/';
    // One address: nothing that a URL cannot hold unescaped.
    const bool single = std::none_of(address.begin(), address.end(), [](char c) {
      return static_cast<unsigned char>(c) <= 0x20 || c == '"' || c == '<' || c == '>' || c == '\\' ||
             c == '^' || c == '`' || c == '{' || c == '|' || c == '}';
    });
    return hasHost && single ? ClipboardKind::link : ClipboardKind::text;
  }
  return ClipboardKind::text;
}

bool isImageType(std::string_view type) {
  constexpr std::array<std::string_view, 4> kImageTypes{"public.png", "public.tiff", "public.jpeg",
                                                        "public.heic"};
  return std::find(kImageTypes.begin(), kImageTypes.end(), type) != kImageTypes.end();
}

}  // namespace quillo::clipboard
