#pragma once

#include <memory>
#include <string_view>

#include "quillo/service/nonce_store.h"

namespace quillo::service {

// The store an address names: "redis://HOST:PORT" for a Redis server, anything else a file.
// Throws NonceStoreError when it cannot be opened or reached.
std::unique_ptr<NonceStore> openNonceStore(std::string_view address);

}  // namespace quillo::service
