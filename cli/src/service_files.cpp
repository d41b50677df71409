#include "service_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "arguments.h"
#include "quillo/base/bounded_read.h"
#include "quillo/base/digest.h"

namespace quillo::cli {
namespace {

// A key is 32 raw bytes or 64 hexadecimal characters; a credential is a short token.
constexpr std::size_t kMaxKeyFileBytes = 1024;
constexpr std::size_t kMaxCredentialBytes = 4096;

std::string fileBytes(const std::filesystem::path& path, const std::string& option, std::size_t limit,
                      const std::string& tooLarge) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw UsageError(option + ": cannot read '" + path.string() + "'");
  std::optional<std::string> bytes = base::readAtMost(file, limit);
  if (file.bad()) throw UsageError(option + ": cannot read '" + path.string() + "'");
  if (!bytes) throw UsageError(option + ": '" + path.string() + "' " + tooLarge);
  return std::move(*bytes);
}

std::string withoutFinalNewline(std::string text) {
  if (text.ends_with('\n')) text.pop_back();
  if (text.ends_with('\r')) text.pop_back();
  return text;
}

// As ssh does for a private key: a key others can read is no longer only the user's.
void warnWhenOthersCanRead(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || (status.st_mode & 077) == 0) return;
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(status.st_mode & 07777));
  std::cerr << "quillo-cli: warning: the key file '" << path.string()
            << "' is open to other users (permissions " << mode
            << "); make it readable by you alone: chmod 600 '" << path.string() << "'\n";
}

// Bytes that may stand in an HTTP header unquoted: visible ASCII, no space or control character.
bool isToken(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < '\x7f'; });
}

}  // namespace

core::SigningKeyBytes readKeyFile(const std::filesystem::path& path) {
  std::string bytes = fileBytes(path, "--key-file", kMaxKeyFileBytes, "is too large to be a signing key");
  warnWhenOthersCanRead(path);
  // 32 raw bytes may themselves end in a newline byte.
  if (bytes.size() != 32) bytes = withoutFinalNewline(std::move(bytes));
  core::SigningKeyBytes key{};
  if (bytes.size() == key.size()) {
    std::copy(bytes.begin(), bytes.end(), key.begin());
    return key;
  }
  if (const auto decoded = base::bytesOfHex(bytes); decoded && decoded->size() == key.size()) {
    std::copy(decoded->begin(), decoded->end(), key.begin());
    return key;
  }
  throw UsageError("--key-file: '" + path.string() +
                   "' holds neither 32 raw bytes nor 64 hexadecimal characters");
}

std::string readCredentialFile(const std::filesystem::path& path) {
  std::string credential = withoutFinalNewline(fileBytes(path, "--credential-file", kMaxCredentialBytes,
                                                         "is too large to be a credential (over 4 KB)"));
  if (!isToken(credential)) {
    throw UsageError("--credential-file: '" + path.string() +
                     "' holds characters a credential cannot have (only visible ASCII, no spaces)");
  }
  return credential;
}

}  // namespace quillo::cli
