#include "text.h"

#include <unicode/ucasemap.h>
#include <unicode/utf8.h>

#include <memory>

namespace fff {
namespace {

constexpr ByteTable makeLower() {
  ByteTable table{};
  for (int c = 0; c < 256; ++c)
    table[c] = static_cast<std::uint8_t>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return table;
}

constexpr ByteTable makeIdentity() {
  ByteTable table{};
  for (int c = 0; c < 256; ++c)
    table[c] = static_cast<std::uint8_t>(c);
  return table;
}

constexpr ByteTable kLower = makeLower();
constexpr ByteTable kIdentity = makeIdentity();

bool isValidUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  std::int32_t i = 0;
  while (i < length) {
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) return false;
  }
  return true;
}

struct CaseMapCloser {
  void operator()(UCaseMap* map) const { ucasemap_close(map); }
};

}  // namespace

const ByteTable& lowerTable() {
  return kLower;
}
const ByteTable& identityTable() {
  return kIdentity;
}

bool needsFolding(std::string_view name) {
  for (unsigned char c : name)
    if (c >= 0x80) return true;
  return false;
}

std::string foldCase(std::string_view text) {
  if (!needsFolding(text) || !isValidUtf8(text) || text.size() > INT32_MAX / 4) return std::string(text);
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UCaseMap, CaseMapCloser> map(ucasemap_open("", U_FOLD_CASE_DEFAULT, &status));
  if (U_FAILURE(status)) return std::string(text);
  // Folding grows a string by at most three times.
  std::string folded(text.size() * 3 + 4, '\0');
  const auto length =
      ucasemap_utf8FoldCase(map.get(), folded.data(), static_cast<std::int32_t>(folded.size()), text.data(),
                            static_cast<std::int32_t>(text.size()), &status);
  if (U_FAILURE(status)) return std::string(text);
  folded.resize(static_cast<std::size_t>(length));
  return folded;
}

CharMask charBit(std::uint8_t byte) {
  const std::uint8_t c = kLower[byte];
  const auto bit = [](unsigned at) { return CharMask{1} << at; };
  if (c >= 'a' && c <= 'z') return bit(c - 'a');
  if (c >= '0' && c <= '9') return bit(26 + (c - '0'));
  if (c == '.') return bit(36);
  if (c == '_') return bit(37);
  if (c == '-') return bit(38);
  // Bytes of other scripts (and bytes that are not UTF-8) by their low bits, so that one
  // script's letters still tell names apart.
  if (c >= 0x80) return bit(39 + (c & 15));
  // Names never hold "/"; a query's "/" is matched between components.
  if (c == '/') return 0;
  return bit(55 + (c & 7));
}

CharMask charMask(std::string_view text) {
  CharMask mask = 0;
  for (unsigned char c : text)
    mask |= charBit(c);
  return mask;
}

}  // namespace fff
