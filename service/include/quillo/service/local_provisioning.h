#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "quillo/service/local_service.h"

namespace quillo::service {

// The local service could not be made ready: what() says why, for the user.
class LocalServiceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a client needs to talk to the local service: its address, the one certificate to trust,
// and the raw 32-byte Ed25519 key to sign with (no credential is needed).
struct LocalConnection {
  std::string baseUrl;
  std::filesystem::path certificate;
  std::array<std::uint8_t, 32> signingKey{};
};

// Makes, once per user, what the local service and its clients need: the client's signing key
// (32 raw bytes, mode 0600, in the config folder), the service's key list holding its public
// half, and a self-signed certificate for 127.0.0.1 with its key (in the data folder). Existing
// files are kept; a key list that lacks the key's line gets it; an expired certificate is made
// again. Holds an exclusive lock on the data folder's lock file meanwhile, so two processes
// starting at once make one key and one list. Returns the signing key. Throws
// LocalServiceError.
std::array<std::uint8_t, 32> provisionLocalService(const LocalServicePaths& paths);

// A quillo-ravo started as a child; destroying the handle ends it (SIGTERM) and waits for it.
class LocalServiceProcess {
 public:
  explicit LocalServiceProcess(long pid) : pid_(pid) {}
  ~LocalServiceProcess();
  LocalServiceProcess(const LocalServiceProcess&) = delete;
  LocalServiceProcess& operator=(const LocalServiceProcess&) = delete;
  long pid() const { return pid_; }
  // The child was already waited for: nothing is left to end.
  void forget() { pid_ = 0; }

 private:
  long pid_;
};

struct LocalServiceOptions {
  // quillo-ravo; found by serviceExecutableBeside the running program when empty.
  std::filesystem::path executable{};
  // How long the child may take to announce itself.
  std::chrono::milliseconds startTimeout{5000};
  // Passed to quillo-ravo after the options the start-up gives it.
  std::vector<std::string> extraArguments{};
  // Provision in a quillo-ravo child (--provision-client) rather than in this process, when the
  // executable is there: reading the keys and the certificate starts OpenSSL's providers, whose
  // tables and code stay resident (some 2 MB) in a process that signs nothing until it asks.
  bool provisionApart = false;
};

// The quillo-ravo that `program` starts: beside it or in lib/quillo of its install, or in the
// service folder of the build tree it was built in; none when there is no executable one.
std::optional<std::filesystem::path> serviceExecutableBeside(const std::filesystem::path& program);

// A connection, and the child serving it when this process started one (null when it uses a
// service that was already running).
struct LocalService {
  LocalConnection connection;
  std::shared_ptr<LocalServiceProcess> process;
};

// The start-up step used when no service address is configured: provisions (above), then uses
// the service that $XDG_RUNTIME_DIR/quillo/ravo.json announces when its process still runs, or
// starts quillo-ravo as a child on a free port of 127.0.0.1 (announcing itself, ending when
// this process ends) and waits for its announcement. Throws LocalServiceError when the child
// cannot be started or does not announce itself in time.
LocalService connectLocalService(const LocalServicePaths& paths, const LocalServiceOptions& options = {});

// The same, always starting a child of its own.
LocalService startLocalService(const LocalServicePaths& paths, const LocalServiceOptions& options = {});

}  // namespace quillo::service
