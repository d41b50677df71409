#pragma once

#include <string>

#include "quillo/clipboard/clipboard_store.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::clipboard::testing {

// An id that differs in its last byte, so tests can name entries 1, 2, 3...
inline base::Uuid idNumber(int number) {
  base::Uuid id = *base::Uuid::parse("E621E1F8-C36C-495A-93FC-0C247A3E0000");
  id.bytes[14] = static_cast<std::uint8_t>(number >> 8);
  id.bytes[15] = static_cast<std::uint8_t>(number);
  return id;
}

inline ClipboardEntry textEntry(int number, const std::string& text, double copiedAt, bool pinned = false) {
  return ClipboardEntry({.id = idNumber(number),
                         .title = text,
                         .text = text,
                         .kind = ClipboardKind::text,
                         .sourceAppID = "com.example.editor",
                         .sourceAppName = "Editor",
                         .copiedAt = base::Date{copiedAt},
                         .isPinned = pinned});
}

// Limits far from anything a test reaches, so that each test sets only the one it is about.
inline ClipboardLimits roomyLimits() {
  return {.retentionDays = 100000, .bytes = 1 << 30, .count = 10000, .tokenLifetime = std::nullopt};
}

}  // namespace quillo::clipboard::testing
