#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fff {

// A compiled glob pattern matched against relative paths given as their components.
// "{a,b}" alternatives are expanded at compile time; "*", "?" and classes never cross "/";
// "**" as a whole component matches any number of components, none included. Immutable once
// compiled, so one Glob may be used from several threads.
class Glob {
 public:
  // Throws Error with a message for a malformed pattern.
  Glob(std::string_view pattern, bool ignoreCase);

  bool matches(std::span<const std::string_view> components) const;
  // A fast test that every path ending in this name fails; false positives allowed. Most names
  // are turned away by their first or last byte alone, here, without a call.
  bool rejectsName(std::string_view name) const {
    if (name.empty()) return firstBytesKnown_ || lastBytesKnown_ || literalsReject(name);
    if (firstBytesKnown_ && !firstBytes_[static_cast<unsigned char>(name.front())]) return true;
    if (lastBytesKnown_ && !lastBytes_[static_cast<unsigned char>(name.back())]) return true;
    return literalsReject(name);
  }
  // Whether a path of `components` components could match at all.
  bool acceptsDepth(std::size_t components) const;
  // True when every alternative is "**/" followed by one component: the name alone decides.
  bool nameOnly() const { return nameOnly_; }
  // True when every component of every alternative is "*" or "**": a path matches when
  // `acceptsDepth` accepts its number of components.
  bool depthDecides() const { return depthDecides_; }
  bool matchesName(std::string_view name) const;
  // Whether a matching name may begin with the byte: false only when no alternative allows it.
  bool mayBeginWith(unsigned char byte) const { return !firstBytesKnown_ || firstBytes_[byte]; }
  // When every alternative's last component ends in literal bytes holding a ".", the extensions
  // (after that last ".", ASCII letters lower-cased) a matching name can have; else nothing.
  std::optional<std::vector<std::string>> extensions() const;

 private:
  struct Token {
    enum class Type : std::uint8_t { literal, any, star, set };
    Type type = Type::literal;
    bool negated = false;
    char32_t scalar = 0;
    std::vector<std::pair<char32_t, char32_t>> ranges;
  };
  struct Segment {
    bool globstar = false;
    std::vector<Token> tokens;
    std::string prefix;  // literal bytes every match begins with
    std::string suffix;  // literal bytes every match ends with
    // Shapes decided by the literal ends alone: "name" and "*.ext".
    bool onlyLiteral = false;
    bool starThenLiteral = false;
  };
  struct Alternative {
    std::vector<Segment> segments;
    bool hasGlobstar = false;
    std::size_t minComponents = 0;  // segments other than "**"
  };

  Segment parseSegment(std::string_view text) const;
  bool matchSegment(const Segment& segment, std::string_view component) const;
  bool tokenMatches(const Token& token, char32_t scalar) const;
  bool matchAlternative(const Alternative& alternative, std::span<const std::string_view> components) const;
  bool literalsFit(const Segment& segment, std::string_view component) const;
  // Whether no alternative's literal ends fit the name.
  bool literalsReject(std::string_view name) const;

  std::vector<Alternative> alternatives_;
  bool ignoreCase_;
  bool nameOnly_ = true;
  bool depthDecides_ = true;
  // Bytes a matching name can begin and end with, when every alternative fixes its first or
  // its last byte.
  bool firstBytesKnown_ = true;
  bool lastBytesKnown_ = true;
  std::array<bool, 256> firstBytes_{};
  std::array<bool, 256> lastBytes_{};
};

// Expands "{a,b}" alternatives, nested ones included, keeping backslash escapes. Throws Error
// for an unclosed "{" or more than 4096 alternatives.
std::vector<std::string> expandBraces(std::string_view pattern);

}  // namespace fff
