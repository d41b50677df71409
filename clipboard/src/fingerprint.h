#pragma once

#include <string>

#include "quillo/clipboard/clipboard_payload.h"

namespace quillo::clipboard {

// The identity of a copy's content: SHA-256 (64 lower-case hexadecimal digits) over each item's
// representation count and its representations in type order, so that the order of
// representations inside an item does not matter but the order of items does.
std::string fingerprint(const ClipboardPayload& payload);

}  // namespace quillo::clipboard
