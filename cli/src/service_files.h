#pragma once

#include <filesystem>
#include <string>

#include "quillo/core/service/backend_client.h"

namespace quillo::cli {

// A signing key file: 32 raw bytes, or 64 hexadecimal characters; either may end with a
// newline. Throws UsageError naming the option otherwise.
core::SigningKeyBytes readKeyFile(const std::filesystem::path& path);

// A credential file's text without its final newline. Throws UsageError when unreadable.
std::string readCredentialFile(const std::filesystem::path& path);

}  // namespace quillo::cli
