#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace quillo::base {

// Locale-aware comparison of UTF-8 text that ignores case but not accents, as people expect
// a sorted list of names to read. Not thread-safe: give each thread its own.
class CaseInsensitiveCollator {
 public:
  // `locale` is an ICU or POSIX locale identifier ("en_US", "de_DE.UTF-8"); an unknown one
  // falls back to the root collation.
  explicit CaseInsensitiveCollator(const std::string& locale);
  ~CaseInsensitiveCollator();
  CaseInsensitiveCollator(CaseInsensitiveCollator&&) noexcept;
  CaseInsensitiveCollator& operator=(CaseInsensitiveCollator&&) noexcept;

  // Negative, zero or positive as `a` sorts before, with or after `b`.
  int compare(std::string_view a, std::string_view b) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quillo::base
