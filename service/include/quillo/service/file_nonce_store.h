#pragma once

#include <filesystem>
#include <mutex>

#include "quillo/service/memory_nonce_store.h"
#include "quillo/service/nonce_store.h"

namespace quillo::service {

// Nonces in a file, so that a request accepted before a restart is still refused after it. Each
// accepted nonce is appended as one line ("<expiry ms> <nonce>") before the request is answered;
// the file is rewritten without the expired lines when they make up most of it. Several
// processes may share one file: every call takes an exclusive lock on it and first reads what
// the others appended. The first line holds a generation number that a rewrite increments, so a
// process that sees a new generation reads the file again from the start. Thread-safe.
//
// A written line survives the process at once (it is in the kernel's cache); it survives a power
// cut only once the system has flushed it, which the replay window (minutes) makes acceptable.
class FileNonceStore final : public NonceStore {
 public:
  // Opens or creates the file (mode 0600). Throws NonceStoreError when it cannot.
  explicit FileNonceStore(std::filesystem::path path);
  ~FileNonceStore() override;
  FileNonceStore(const FileNonceStore&) = delete;
  FileNonceStore& operator=(const FileNonceStore&) = delete;

  bool remember(std::string_view nonce, std::int64_t nowMs, std::int64_t expiresAtMs) override;

 private:
  struct Lines;
  void readNewLines(std::int64_t nowMs);
  void rewrite(std::int64_t nowMs);

  std::filesystem::path path_;
  int fd_ = -1;
  std::mutex mutex_;
  std::string generation_;
  std::int64_t readOffset_ = 0;
  std::size_t linesInFile_ = 0;
  std::size_t nextRewriteCheck_ = 0;
  std::unordered_map<std::string, std::int64_t> live_;
};

}  // namespace quillo::service
