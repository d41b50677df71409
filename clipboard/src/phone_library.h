#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::clipboard::phone {

// Phone numbers are found by libphonenumber, which lives in libquillo-phone.so: with protobuf and
// the Abseil libraries it brings, it maps some 2 MB of pages and leaves its start-up tables on the
// heap, for a tag most copies never get. The clipboard loads it with dlopen the first time a copied
// text has digits enough to hold a number.
inline constexpr int kAbiVersion = 1;
inline constexpr char kLibraryName[] = "libquillo-phone.so";
inline constexpr char kEntrySymbol[] = "quillo_phone_entry";

// A number's place in the text, in UTF-8 bytes.
struct Found {
  std::size_t start = 0;
  std::size_t length = 0;
};

// Immutable; safe to use from any thread.
class Library {
 public:
  virtual ~Library() = default;

  // Every valid number in the text, left to right: in the national format of `region` ("US",
  // "DE"), or international with "+" and a country code.
  virtual std::vector<Found> find(const std::string& text, const std::string& region) const = 0;
};

// The library's entry point: its one instance, or null when `abiVersion` is not its own.
using Entry = const Library* (*)(int abiVersion) noexcept;

// The loaded library, loaded on the first call; null (and the reason logged, once) when it cannot
// be loaded.
const Library* library();

// Loads the named library from the folders library() looks in, then `buildFolder`; null, and the
// reason logged, when it cannot be loaded or is not one this program can use.
const Library* load(const std::string& fileName, const std::string& buildFolder);

}  // namespace quillo::clipboard::phone
