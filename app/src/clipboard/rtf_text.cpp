#include "rtf_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <utility>
#include <vector>

namespace quillo::app {
namespace {

void appendUTF8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Destinations whose content is never text the user sees.
bool isHiddenDestination(std::string_view word) {
  constexpr std::array<std::string_view, 9> hidden{"fonttbl", "colortbl", "stylesheet", "info",  "pict",
                                                   "header",  "footer",   "listtable",  "object"};
  for (std::string_view each : hidden)
    if (word == each) return true;
  return false;
}

struct Group {
  bool hidden = false;
  int fallbackLength = 1;  // characters after \uN that stand in for readers without Unicode
};

}  // namespace

std::string rtfPlainText(std::string_view rtf) {
  std::string out;
  std::vector<Group> groups{Group{}};
  int skipFallback = 0;
  bool groupStart = false;
  char32_t highSurrogate = 0;
  const auto emit = [&](char32_t c) {
    if (skipFallback > 0) {
      --skipFallback;
      return;
    }
    if (groups.back().hidden) return;
    // Characters beyond the first plane come as two \u surrogates; a lone one is no character.
    if (c >= 0xD800 && c <= 0xDBFF) {
      highSurrogate = c;
      return;
    }
    if (c >= 0xDC00 && c <= 0xDFFF) {
      c = highSurrogate ? 0x10000 + ((highSurrogate - 0xD800) << 10) + (c - 0xDC00) : 0xFFFD;
    } else if (highSurrogate) {
      appendUTF8(out, 0xFFFD);
    }
    highSurrogate = 0;
    appendUTF8(out, c);
  };
  for (std::size_t i = 0; i < rtf.size();) {
    const char c = rtf[i];
    const bool atGroupStart = std::exchange(groupStart, false);
    if (c == '{') {
      groups.push_back(groups.back());
      groupStart = true;
      ++i;
    } else if (c == '}') {
      if (groups.size() > 1) groups.pop_back();
      skipFallback = 0;
      ++i;
    } else if (c == '\r' || c == '\n') {
      ++i;
    } else if (c != '\\') {
      emit(static_cast<unsigned char>(c));
      ++i;
    } else if (i + 1 >= rtf.size()) {
      break;
    } else if (const char next = rtf[i + 1]; next == '\\' || next == '{' || next == '}') {
      emit(static_cast<unsigned char>(next));
      i += 2;
    } else if (next == '*') {
      if (atGroupStart) groups.back().hidden = true;
      i += 2;
    } else if (next == '\'') {
      unsigned value = 0;
      const char* first = rtf.data() + std::min(i + 2, rtf.size());
      const char* last = rtf.data() + std::min(i + 4, rtf.size());
      std::from_chars(first, last, value, 16);
      emit(static_cast<char32_t>(value));  // Latin-1, the common case of Western code pages
      i = static_cast<std::size_t>(last - rtf.data());
    } else if (std::isalpha(static_cast<unsigned char>(next))) {
      std::size_t end = i + 1;
      while (end < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[end])))
        ++end;
      const std::string_view word = rtf.substr(i + 1, end - i - 1);
      int parameter = 0;
      bool hasParameter = false;
      std::size_t numberEnd = end;
      if (numberEnd < rtf.size() && rtf[numberEnd] == '-') ++numberEnd;
      while (numberEnd < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[numberEnd])))
        ++numberEnd;
      if (numberEnd > end) {
        hasParameter = std::from_chars(rtf.data() + end, rtf.data() + numberEnd, parameter).ec == std::errc();
        end = numberEnd;
      }
      if (end < rtf.size() && rtf[end] == ' ') ++end;
      i = end;
      if (atGroupStart && isHiddenDestination(word)) {
        groups.back().hidden = true;
      } else if (word == "par" || word == "line") {
        emit('\n');
      } else if (word == "tab") {
        emit('\t');
      } else if (word == "uc" && hasParameter) {
        groups.back().fallbackLength = parameter;
      } else if (word == "u" && hasParameter) {
        emit(static_cast<char32_t>(parameter < 0 ? parameter + 65536 : parameter));
        skipFallback = groups.back().fallbackLength;
      }
    } else {
      i += 2;  // a control symbol such as \~ or \-
    }
  }
  return out;
}

}  // namespace quillo::app
