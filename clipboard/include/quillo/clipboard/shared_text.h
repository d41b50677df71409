#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace quillo::clipboard {

// An immutable text that copies share: entries are copied out of the history for every
// keystroke's results, and an entry holding a 1 MB page must not copy the page each time.
// Behaves as a string value: compares by content, reads as a std::string_view.
class SharedText {
 public:
  SharedText() = default;
  SharedText(std::string text)  // NOLINT(google-explicit-constructor): a text is a text
      : text_(text.empty() ? nullptr : std::make_shared<const std::string>(std::move(text))) {}
  SharedText(std::string_view text) : SharedText(std::string(text)) {}  // NOLINT(google-explicit-constructor)
  SharedText(const char* text) : SharedText(std::string(text)) {}       // NOLINT(google-explicit-constructor)

  operator std::string_view() const noexcept { return view(); }  // NOLINT(google-explicit-constructor)
  // Never a null pointer, even when empty: C interfaces read a null text as no value at all.
  std::string_view view() const noexcept { return text_ ? std::string_view(*text_) : std::string_view(""); }
  std::string str() const { return std::string(view()); }
  const char* data() const noexcept { return view().data(); }
  std::size_t size() const noexcept { return view().size(); }
  bool empty() const noexcept { return view().empty(); }

  friend bool operator==(const SharedText& a, const SharedText& b) noexcept { return a.view() == b.view(); }
  friend bool operator==(const SharedText& a, std::string_view b) noexcept { return a.view() == b; }
  friend bool operator==(const SharedText& a, const std::string& b) noexcept { return a.view() == b; }
  friend bool operator==(const SharedText& a, const char* b) noexcept { return a.view() == b; }

 private:
  std::shared_ptr<const std::string> text_;
};

}  // namespace quillo::clipboard
