#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "quillo/base/date.h"
#include "quillo/base/url.h"

namespace quillo::core {

// Display texts of the file rows.
struct FileFormat {
  // The containing folder's path, "~" standing for the home folder when the path is inside it.
  static std::string folder(const base::Url& file, std::string_view homeFolder);
  // A size in decimal units as file managers show it ("532 bytes", "12 kB", "1.3 MB",
  // "Zero kB"), in the words and digits of the ICU locale.
  static std::string size(std::uint64_t bytes, std::string_view locale);
  // The calendar day of an instant in an IANA time zone, as 2026-12-05.
  static std::string day(base::Date date, std::string_view timeZone);
};

}  // namespace quillo::core
