#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillo::service {

// A command line quillo-ravo cannot run with; what() says why, for standard error.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// quillo-ravo's command line.
struct RavoArguments {
  bool help = false;
  std::string host = "127.0.0.1";
  int port = 0;
  // Holds the key list, certificate, key and nonce file unless named one by one.
  std::optional<std::filesystem::path> dataFolder;
  std::optional<std::filesystem::path> keyList;
  std::optional<std::filesystem::path> certificate;
  std::optional<std::filesystem::path> privateKey;
  std::optional<std::filesystem::path> credentialFile;
  // A file path, or "redis://HOST:PORT".
  std::optional<std::string> nonceStore;
  std::filesystem::path wordNetFolder = "/usr/share/wordnet";
  std::size_t workers = 4;
  std::size_t maxQueued = 16;
  std::size_t maxBodyBytes = std::size_t{1} << 20;
  // Write the address to this file while running ($XDG_RUNTIME_DIR/quillo/ravo.json with
  // --announce).
  std::optional<std::filesystem::path> announcement;
  // End when the process that started it ends.
  bool withParent = false;
  // Provision a client whose key lives in this folder (provisionLocalService), then end.
  std::optional<std::filesystem::path> provisionClient;
};

// Throws UsageError for an unknown option, a missing or malformed value.
RavoArguments parseRavoArguments(const std::vector<std::string>& arguments);

// The text of --help.
std::string_view ravoHelp();

}  // namespace quillo::service
