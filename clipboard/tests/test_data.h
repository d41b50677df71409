#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

#include "quillo/clipboard/clipboard_payload.h"

namespace quillo::clipboard::testing {

// A text's bytes, as a payload holds them.
inline Bytes bytes(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

// A file of the clipboard's test data (clipboard/tests/data).
inline std::filesystem::path fixturePath(const char* name) {
  return std::filesystem::path(QUILLO_CLIPBOARD_TEST_DATA) / name;
}

// The whole of such a file.
inline Bytes fixture(const char* name) {
  std::ifstream file(fixturePath(name), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace quillo::clipboard::testing
