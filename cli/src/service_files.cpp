#include "service_files.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "arguments.h"
#include "quillo/base/digest.h"

namespace quillo::cli {
namespace {

std::string fileBytes(const std::filesystem::path& path, const std::string& option) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  if (!file) throw UsageError(option + ": cannot read '" + path.string() + "'");
  return bytes.str();
}

std::string withoutFinalNewline(std::string text) {
  if (text.ends_with('\n')) text.pop_back();
  if (text.ends_with('\r')) text.pop_back();
  return text;
}

}  // namespace

core::SigningKeyBytes readKeyFile(const std::filesystem::path& path) {
  std::string bytes = fileBytes(path, "--key-file");
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
  return withoutFinalNewline(fileBytes(path, "--credential-file"));
}

}  // namespace quillo::cli
