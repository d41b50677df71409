#pragma once

#include <filesystem>
#include <string>

#include "quillo/core/service/backend_client.h"

namespace quillo::cli {

// A signing key file: 32 raw bytes, or 64 hexadecimal characters; either may end with a
// newline. Throws UsageError naming the option otherwise (a file over 1 KB is not read to its
// end). Warns on standard error when group or others may read the file.
core::SigningKeyBytes readKeyFile(const std::filesystem::path& path);

// A credential file's text without its final newline: visible ASCII without spaces, at most
// 4 KB, as it travels in a request header. Throws UsageError otherwise or when unreadable.
std::string readCredentialFile(const std::filesystem::path& path);

}  // namespace quillo::cli
