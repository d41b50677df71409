#include "glob.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <bit>
#include <cstdint>

#include "error.h"

namespace fff {
namespace {

constexpr std::size_t kMaxAlternatives = 4096;
// Longer than any path a file system allows, which keeps the work of compiling bounded.
constexpr std::size_t kMaxPatternBytes = 4096;
// Every string built while expanding "{...}", together.
constexpr std::size_t kMaxExpandedBytes = std::size_t{8} << 20;
// Bytes that are not UTF-8 become scalars above Unicode's range, so they match only themselves.
constexpr char32_t kRawByte = 0x110000;

// Decodes one scalar at `at`, advancing it.
char32_t nextScalar(std::string_view text, std::size_t& at) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  auto i = static_cast<std::int32_t>(at);
  UChar32 c;
  U8_NEXT(bytes, i, length, c);
  if (c < 0) {
    c = static_cast<UChar32>(kRawByte + bytes[at]);
    i = static_cast<std::int32_t>(at + 1);
  }
  at = static_cast<std::size_t>(i);
  return static_cast<char32_t>(c);
}

char32_t fold(char32_t c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
  if (c >= kRawByte) return c;
  return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

// Steps over an escaped character or through a bracket class at `i`: true when the character at
// `i` belongs to one of those and means nothing more to the caller.
bool skipsQuoted(std::string_view text, std::size_t& i, bool& inClass) {
  const char c = text[i];
  if (c == '\\') {
    ++i;
    return true;
  }
  if (inClass) {
    if (c == ']') inClass = false;
    return true;
  }
  if (c != '[') return false;
  inClass = true;
  if (i + 1 < text.size() && (text[i + 1] == '!' || text[i + 1] == '^')) ++i;
  if (i + 1 < text.size() && text[i + 1] == ']') ++i;
  return true;
}

// Finds the "}" closing the "{" at `open`, skipping escapes and bracket classes; npos if none.
std::size_t closingBrace(std::string_view text, std::size_t open, std::vector<std::size_t>& commas) {
  int depth = 0;
  bool inClass = false;
  for (std::size_t i = open; i < text.size(); ++i) {
    if (skipsQuoted(text, i, inClass)) continue;
    const char c = text[i];
    if (c == '{') {
      ++depth;
    } else if (c == '}') {
      if (--depth == 0) return i;
    } else if (c == ',' && depth == 1) {
      commas.push_back(i);
    }
  }
  return std::string_view::npos;
}

// Where the first "{" that is neither escaped nor inside a class opens; npos if none.
std::size_t firstBrace(std::string_view pattern) {
  bool inClass = false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (skipsQuoted(pattern, i, inClass)) continue;
    if (pattern[i] == '{') return i;
  }
  return std::string_view::npos;
}

// Splits at every "/" that is neither escaped nor inside a class.
std::vector<std::string_view> splitSegments(std::string_view pattern) {
  std::vector<std::string_view> segments;
  std::size_t start = 0;
  bool inClass = false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (skipsQuoted(pattern, i, inClass)) continue;
    if (pattern[i] == '/') {
      segments.push_back(pattern.substr(start, i - start));
      start = i + 1;
    }
  }
  segments.push_back(pattern.substr(start));
  return segments;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c >= kRawByte) {
    out.push_back(static_cast<char>(c - kRawByte));
    return;
  }
  char buffer[4];
  std::int32_t length = 0;
  UBool error = false;
  U8_APPEND(reinterpret_cast<std::uint8_t*>(buffer), length, 4, static_cast<UChar32>(c), error);
  if (!error) out.append(buffer, static_cast<std::size_t>(length));
}

}  // namespace

std::vector<std::string> expandBraces(std::string_view pattern) {
  if (pattern.size() > kMaxPatternBytes) throw Error("The pattern is longer than 4096 bytes.");
  // Expanded with a work list rather than by recursion, so that the depth of the stack never
  // depends on the pattern; every string built counts against one budget.
  std::vector<std::string> out;
  std::vector<std::string> pending{std::string(pattern)};
  std::size_t built = pattern.size();
  while (!pending.empty()) {
    std::string text = std::move(pending.back());
    pending.pop_back();
    const std::size_t open = firstBrace(text);
    if (open == std::string_view::npos) {
      out.push_back(std::move(text));
      if (out.size() > kMaxAlternatives) throw Error("The pattern has more than 4096 alternatives.");
      continue;
    }
    std::vector<std::size_t> commas;
    const std::size_t close = closingBrace(text, open, commas);
    if (close == std::string_view::npos) throw Error("The pattern has a \"{\" without its \"}\".");
    commas.push_back(close);
    const std::string_view whole(text);
    // Pushed last first, so that the alternatives come out in the order written.
    for (std::size_t k = commas.size(); k-- > 0;) {
      const std::size_t start = k == 0 ? open + 1 : commas[k - 1] + 1;
      std::string expanded(whole.substr(0, open));
      expanded.append(whole.substr(start, commas[k] - start));
      expanded.append(whole.substr(close + 1));
      built += expanded.size() + 1;
      if (built > kMaxExpandedBytes) throw Error("The pattern's alternatives are too long together.");
      pending.push_back(std::move(expanded));
      // Every pending text yields at least one alternative.
      if (pending.size() + out.size() > kMaxAlternatives)
        throw Error("The pattern has more than 4096 alternatives.");
    }
  }
  return out;
}

Glob::Glob(std::string_view pattern, bool ignoreCase) : ignoreCase_(ignoreCase) {
  if (pattern.empty()) throw Error("The pattern is empty.");
  for (const std::string& expanded : expandBraces(pattern)) {
    Alternative alternative;
    for (const std::string_view text : splitSegments(expanded)) {
      if (text.empty()) throw Error("The pattern has an empty path component.");
      alternative.segments.push_back(parseSegment(text));
      if (alternative.segments.back().globstar)
        alternative.hasGlobstar = true;
      else
        ++alternative.minComponents;
    }
    const auto& segments = alternative.segments;
    const Segment& last = segments.back();
    // Literal ends are kept lower-cased when case is ignored.
    const auto allow = [ignoreCase](std::array<bool, 256>& bytes, char end) {
      const auto byte = static_cast<unsigned char>(end);
      bytes[byte] = true;
      if (ignoreCase && byte >= 'a' && byte <= 'z') bytes[byte - 32] = true;
    };
    if (last.globstar || last.prefix.empty())
      firstBytesKnown_ = false;
    else
      allow(firstBytes_, last.prefix.front());
    if (last.globstar || last.suffix.empty())
      lastBytesKnown_ = false;
    else
      allow(lastBytes_, last.suffix.back());
    const bool simple = segments.size() == 2 && segments[0].globstar && !segments[1].globstar;
    nameOnly_ = nameOnly_ && simple;
    depthDecides_ =
        depthDecides_ && std::all_of(segments.begin(), segments.end(), [](const Segment& segment) {
          return segment.globstar ||
                 (segment.tokens.size() == 1 && segment.tokens.front().type == Token::Type::star);
        });
    alternatives_.push_back(std::move(alternative));
  }
}

Glob::Segment Glob::parseSegment(std::string_view text) const {
  Segment segment;
  if (text == "**") {
    segment.globstar = true;
    return segment;
  }
  for (std::size_t i = 0; i < text.size();) {
    Token token;
    const char c = text[i];
    if (c == '*') {
      token.type = Token::Type::star;
      while (i < text.size() && text[i] == '*')
        ++i;
    } else if (c == '?') {
      token.type = Token::Type::any;
      ++i;
    } else if (c == '[') {
      token.type = Token::Type::set;
      ++i;
      if (i < text.size() && (text[i] == '!' || text[i] == '^')) {
        token.negated = true;
        ++i;
      }
      bool first = true;
      for (;;) {
        if (i >= text.size()) throw Error("The pattern has a \"[\" without its \"]\".");
        if (text[i] == ']' && !first) {
          ++i;
          break;
        }
        first = false;
        if (text[i] == '\\') {
          if (++i >= text.size()) throw Error("The pattern ends with a lone backslash.");
        }
        const char32_t low = nextScalar(text, i);
        char32_t high = low;
        if (i + 1 < text.size() && text[i] == '-' && text[i + 1] != ']') {
          ++i;
          if (text[i] == '\\' && ++i >= text.size()) throw Error("The pattern ends with a lone backslash.");
          high = nextScalar(text, i);
          if (high < low) throw Error("The pattern has a range whose end comes before its start.");
        }
        token.ranges.emplace_back(low, high);
      }
    } else {
      if (c == '\\' && ++i >= text.size()) throw Error("The pattern ends with a lone backslash.");
      token.scalar = nextScalar(text, i);
      if (ignoreCase_) token.scalar = fold(token.scalar);
    }
    segment.tokens.push_back(std::move(token));
  }
  // Literal ends let most names be turned away by a byte comparison. With case ignored only
  // ASCII is kept there, as folding other scalars can change their length.
  const auto literal = [&](const Token& token) {
    return token.type == Token::Type::literal && (!ignoreCase_ || token.scalar < 0x80);
  };
  const auto& tokens = segment.tokens;
  for (const Token& token : tokens) {
    if (!literal(token)) break;
    appendUtf8(segment.prefix, token.scalar);
  }
  for (auto it = tokens.rbegin(); it != tokens.rend() && literal(*it); ++it) {
    std::string one;
    appendUtf8(one, it->scalar);
    segment.suffix.insert(0, one);
  }
  segment.onlyLiteral = std::all_of(tokens.begin(), tokens.end(), literal);
  segment.starThenLiteral = !tokens.empty() && tokens[0].type == Token::Type::star &&
                            std::all_of(tokens.begin() + 1, tokens.end(), literal);
  return segment;
}

bool Glob::literalsFit(const Segment& segment, std::string_view component) const {
  const std::size_t p = segment.prefix.size();
  const std::size_t s = segment.suffix.size();
  if (component.size() < std::max(p, s)) return false;
  if (!ignoreCase_) return component.starts_with(segment.prefix) && component.ends_with(segment.suffix);
  const auto same = [&](char a, char b) {
    if (!ignoreCase_) return a == b;
    const auto lower = [](char x) { return x >= 'A' && x <= 'Z' ? static_cast<char>(x + 32) : x; };
    return lower(a) == b;
  };
  for (std::size_t k = 0; k < s; ++k)
    if (!same(component[component.size() - s + k], segment.suffix[k])) return false;
  for (std::size_t k = 0; k < p; ++k)
    if (!same(component[k], segment.prefix[k])) return false;
  return true;
}

bool Glob::tokenMatches(const Token& token, char32_t scalar) const {
  switch (token.type) {
    case Token::Type::any:
      return true;
    case Token::Type::literal:
      return (ignoreCase_ ? fold(scalar) : scalar) == token.scalar;
    case Token::Type::set: {
      const auto inside = [&](char32_t c) {
        return std::any_of(token.ranges.begin(), token.ranges.end(),
                           [c](const auto& range) { return c >= range.first && c <= range.second; });
      };
      bool found = inside(scalar);
      if (!found && ignoreCase_ && scalar < kRawByte) {
        const auto c = static_cast<UChar32>(scalar);
        found = inside(static_cast<char32_t>(u_tolower(c))) || inside(static_cast<char32_t>(u_toupper(c)));
      }
      return found != token.negated;
    }
    case Token::Type::star:
      return false;
  }
  return false;
}

// Wildcard matching with one remembered star: linear unless stars have to back off.
bool Glob::matchSegment(const Segment& segment, std::string_view component) const {
  if (!literalsFit(segment, component)) return false;
  if (segment.starThenLiteral) return true;
  if (segment.onlyLiteral) return component.size() == segment.prefix.size();
  const auto& tokens = segment.tokens;
  std::size_t t = 0;
  std::size_t at = 0;
  std::size_t starToken = std::string_view::npos;
  std::size_t starAt = 0;
  while (at < component.size()) {
    if (t < tokens.size() && tokens[t].type == Token::Type::star) {
      starToken = t++;
      starAt = at;
      continue;
    }
    std::size_t next = at;
    const char32_t scalar = nextScalar(component, next);
    if (t < tokens.size() && tokenMatches(tokens[t], scalar)) {
      ++t;
      at = next;
      continue;
    }
    if (starToken == std::string_view::npos) return false;
    t = starToken + 1;
    nextScalar(component, starAt);
    at = starAt;
  }
  while (t < tokens.size() && tokens[t].type == Token::Type::star)
    ++t;
  return t == tokens.size();
}

bool Glob::matchAlternative(const Alternative& alternative,
                            std::span<const std::string_view> components) const {
  const auto& segments = alternative.segments;
  const std::size_t s = segments.size();
  const std::size_t c = components.size();
  if (!alternative.hasGlobstar) {
    if (s != c) return false;
    for (std::size_t k = s; k-- > 0;)
      if (!matchSegment(segments[k], components[k])) return false;
    return true;
  }
  // Bit k: the segments so far can consume exactly the first k components. Paths are rarely
  // deep enough to need the vectors below, which a pass over every entry would allocate for each.
  if (c < 64) {
    std::uint64_t reachable = 1;
    for (const Segment& segment : segments) {
      if (segment.globstar) {
        // From the shallowest reachable count on, every count is.
        reachable = ~std::uint64_t{0} << std::countr_zero(reachable);
        continue;
      }
      std::uint64_t next = 0;
      for (std::uint64_t left = reachable & ((std::uint64_t{1} << c) - 1); left != 0; left &= left - 1) {
        const auto k = static_cast<std::size_t>(std::countr_zero(left));
        if (matchSegment(segment, components[k])) next |= std::uint64_t{1} << (k + 1);
      }
      reachable = next;
      if (reachable == 0) return false;
    }
    return (reachable >> c & 1u) != 0;
  }
  std::vector<char> reachable(c + 1, 0);
  reachable[0] = 1;
  for (const Segment& segment : segments) {
    std::vector<char> next(c + 1, 0);
    for (std::size_t k = 0; k <= c; ++k) {
      if (!reachable[k]) continue;
      if (segment.globstar) {
        std::fill(next.begin() + static_cast<std::ptrdiff_t>(k), next.end(), 1);
        break;
      }
      if (k < c && matchSegment(segment, components[k])) next[k + 1] = 1;
    }
    reachable.swap(next);
  }
  return reachable[c] != 0;
}

bool Glob::matches(std::span<const std::string_view> components) const {
  return std::any_of(alternatives_.begin(), alternatives_.end(), [&](const Alternative& alternative) {
    return matchAlternative(alternative, components);
  });
}

bool Glob::matchesName(std::string_view name) const {
  return std::any_of(alternatives_.begin(), alternatives_.end(), [&](const Alternative& alternative) {
    return matchSegment(alternative.segments[1], name);
  });
}

bool Glob::literalsReject(std::string_view name) const {
  return std::none_of(alternatives_.begin(), alternatives_.end(), [&](const Alternative& alternative) {
    const Segment& last = alternative.segments.back();
    return last.globstar || literalsFit(last, name);
  });
}

std::optional<std::vector<std::string>> Glob::extensions() const {
  std::vector<std::string> found;
  for (const Alternative& alternative : alternatives_) {
    const Segment& last = alternative.segments.back();
    const auto dot = last.suffix.rfind('.');
    if (last.globstar || dot == std::string::npos) return std::nullopt;
    std::string extension = last.suffix.substr(dot + 1);
    for (char& c : extension)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    found.push_back(std::move(extension));
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return found;
}

bool Glob::acceptsDepth(std::size_t components) const {
  return std::any_of(alternatives_.begin(), alternatives_.end(), [&](const Alternative& alternative) {
    return alternative.hasGlobstar ? components >= alternative.minComponents
                                   : components == alternative.minComponents;
  });
}

}  // namespace fff
