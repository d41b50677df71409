#include "quillo/service/local_provisioning.h"

#include <fcntl.h>
#include <openssl/rand.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <thread>

#include "quillo/base/bounded_read.h"
#include "quillo/base/program_files.h"
#include "quillo/service/client_keys.h"
#include "quillo/service/tls_identity.h"

extern char** environ;

namespace quillo::service {
namespace {

using KeyBytes = std::array<std::uint8_t, 32>;

// A certificate this close to its end is made again.
constexpr std::chrono::hours kCertificateMargin{24 * 7};
constexpr std::chrono::hours kCertificateValidity{24 * 365 * 10};
constexpr std::chrono::milliseconds kPollInterval{5};

[[noreturn]] void fail(const std::string& what) {
  throw LocalServiceError("The local ranking service could not be prepared: " + what);
}

// The data folder's lock, held while provisioning.
class ProvisioningLock {
 public:
  explicit ProvisioningLock(const std::filesystem::path& file) {
    fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) fail("cannot open '" + file.string() + "': " + std::strerror(errno));
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) fail("cannot lock '" + file.string() + "'");
    }
  }
  ~ProvisioningLock() { ::close(fd_); }
  ProvisioningLock(const ProvisioningLock&) = delete;
  ProvisioningLock& operator=(const ProvisioningLock&) = delete;

 private:
  int fd_ = -1;
};

void makePrivateFolder(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) fail("cannot make '" + folder.string() + "': " + error.message());
  ::chmod(folder.c_str(), 0700);
}

std::optional<KeyBytes> readKey(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  if (!stream) return std::nullopt;
  const std::optional<std::string> bytes = base::readAtMost(stream, 64);
  if (!bytes || bytes->size() != 32)
    fail("'" + file.string() + "' is not a 32-byte key; remove it to make a new one");
  KeyBytes key{};
  std::copy(bytes->begin(), bytes->end(), key.begin());
  return key;
}

// Written to a new file, readable by its owner alone from the start, then renamed into place.
void writePrivateFile(const std::filesystem::path& file, std::string_view bytes) {
  const std::filesystem::path temporary = file.string() + ".new";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) fail("cannot write '" + temporary.string() + "': " + std::strerror(errno));
  const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                       ::fchmod(fd, 0600) == 0 && ::fsync(fd) == 0;
  ::close(fd);
  if (!written || ::rename(temporary.c_str(), file.c_str()) != 0) {
    ::unlink(temporary.c_str());
    fail("cannot write '" + file.string() + "'");
  }
}

std::string fileText(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  return stream ? base::readAtMost(stream, std::size_t{1} << 20).value_or("") : "";
}

std::optional<std::filesystem::path> findServiceExecutable(const LocalServiceOptions& options) {
  if (!options.executable.empty()) return options.executable;
  if (const auto program = base::executablePath()) return serviceExecutableBeside(*program);
  return std::nullopt;
}

std::filesystem::path serviceExecutable(const LocalServiceOptions& options) {
  if (auto found = findServiceExecutable(options)) return *found;
  throw LocalServiceError("The local ranking service (quillo-ravo) is not installed beside this program.");
}

// Starts `arguments` (the executable first) with standard output on /dev/null and standard
// error on `errorFd` when one is given; posix_spawn's error number, 0 once started.
int spawnQuietly(pid_t& pid, std::vector<std::string> arguments, int errorFd = -1) {
  std::vector<char*> argv;
  for (std::string& argument : arguments)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  if (errorFd >= 0) posix_spawn_file_actions_adddup2(&actions, errorFd, STDERR_FILENO);
  const int spawned = ::posix_spawn(&pid, argv.front(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return spawned;
}

// Runs `quillo-ravo --provision-client` and reads the key it made or kept; its standard error
// (one line saying what failed) becomes the error's reason.
KeyBytes provisionInChild(const LocalServicePaths& paths, const std::filesystem::path& executable) {
  int errors[2];
  if (::pipe2(errors, O_CLOEXEC) != 0) fail(std::string("no pipe: ") + std::strerror(errno));
  pid_t pid = 0;
  const int spawned = spawnQuietly(pid,
                                   {executable.string(), "--provision-client", paths.configFolder.string(),
                                    "--data-folder", paths.dataFolder.string()},
                                   errors[1]);
  ::close(errors[1]);
  std::string message;
  if (spawned == 0) {
    char buffer[512];
    for (ssize_t got = 0; (got = ::read(errors[0], buffer, sizeof buffer)) != 0;) {
      if (got > 0 && message.size() < 4096) message.append(buffer, static_cast<std::size_t>(got));
      if (got < 0 && errno != EINTR) break;
    }
  }
  ::close(errors[0]);
  if (spawned != 0) fail("'" + executable.string() + "' could not be started: " + std::strerror(spawned));
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
      message.pop_back();
    constexpr std::string_view kOwnPrefix = "quillo-ravo: The local ranking service could not be prepared: ";
    if (message.starts_with(kOwnPrefix)) message.erase(0, kOwnPrefix.size());
    fail(message.empty() ? "quillo-ravo --provision-client ended with status " + std::to_string(status)
                         : message);
  }
  if (auto key = readKey(paths.signingKey())) return *key;
  fail("quillo-ravo --provision-client made no key in '" + paths.configFolder.string() + "'");
}

KeyBytes provision(const LocalServicePaths& paths, const LocalServiceOptions& options) {
  if (options.provisionApart) {
    if (const auto executable = findServiceExecutable(options)) return provisionInChild(paths, *executable);
  }
  return provisionLocalService(paths);
}

}  // namespace

std::optional<std::filesystem::path> serviceExecutableBeside(const std::filesystem::path& program) {
  // An install puts it in bin beside the programs (or in their private lib/quillo); a build tree
  // keeps it in service/, one level up from quillo-cli and two from ui/program/quillo.
  static constexpr std::array<std::string_view, 4> kFolders = {".", "../lib/quillo", "../service",
                                                               "../../service"};
  for (const std::filesystem::path& candidate : base::pathsBeside(program, "quillo-ravo", kFolders)) {
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::nullopt;
}

KeyBytes provisionLocalService(const LocalServicePaths& paths) {
  makePrivateFolder(paths.configFolder);
  makePrivateFolder(paths.dataFolder);
  const ProvisioningLock lock(paths.lock());

  std::optional<KeyBytes> key = readKey(paths.signingKey());
  if (!key) {
    key.emplace();
    if (RAND_bytes(key->data(), static_cast<int>(key->size())) != 1) fail("no random bytes for a key");
    writePrivateFile(paths.signingKey(),
                     std::string_view(reinterpret_cast<const char*>(key->data()), key->size()));
  }
  const std::string line = keyListLine(publicKeyOf(*key), "this-machine");
  std::string list = fileText(paths.keyList());
  if (list.find(line.substr(0, 64)) == std::string::npos) {
    if (!list.empty() && !list.ends_with('\n')) list += '\n';
    if (list.empty()) list = "# Ed25519 public keys of the clients quillo-ravo accepts, one a line.\n";
    list += line + "\n";
    writePrivateFile(paths.keyList(), list);
  }
  if (!certificateValidFor(paths.certificate(), kCertificateMargin) ||
      !std::filesystem::exists(paths.certificateKey())) {
    try {
      writeIdentity(makeSelfSignedIdentity(kCertificateValidity), paths.certificate(),
                    paths.certificateKey());
    } catch (const std::runtime_error& error) {
      fail(error.what());
    }
  }
  return *key;
}

LocalServiceProcess::~LocalServiceProcess() {
  if (pid_ <= 0) return;
  ::kill(static_cast<pid_t>(pid_), SIGTERM);
  ::waitpid(static_cast<pid_t>(pid_), nullptr, 0);
}

LocalService startLocalService(const LocalServicePaths& paths, const LocalServiceOptions& options) {
  const KeyBytes key = provision(paths, options);
  const std::filesystem::path executable = serviceExecutable(options);
  std::vector<std::string> arguments = {executable.string(),           "--data-folder",
                                        paths.dataFolder.string(),     "--announce-to",
                                        paths.announcement().string(), "--with-parent"};
  arguments.insert(arguments.end(), options.extraArguments.begin(), options.extraArguments.end());
  // The child's standard output (its address) is not read: the announcement says the same.
  pid_t pid = 0;
  const int spawned = spawnQuietly(pid, std::move(arguments));
  if (spawned != 0)
    throw LocalServiceError("The local ranking service could not be started: " +
                            std::string(std::strerror(spawned)));
  auto process = std::make_shared<LocalServiceProcess>(pid);

  const auto deadline = std::chrono::steady_clock::now() + options.startTimeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (const auto announced = readLiveAnnouncement(paths.announcement()); announced && announced->pid == pid)
      return {.connection = {.baseUrl = announced->baseUrl,
                             .certificate = announced->certificate,
                             .signingKey = key},
              .process = std::move(process)};
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      // Already reaped: the handle must not signal a pid that may be reused.
      process->forget();
      throw LocalServiceError("The local ranking service ended at start (status " + std::to_string(status) +
                              "); run quillo-ravo to see why.");
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  throw LocalServiceError("The local ranking service did not start within " +
                          std::to_string(options.startTimeout.count()) + " ms.");
}

LocalService connectLocalService(const LocalServicePaths& paths, const LocalServiceOptions& options) {
  if (const auto announced = readLiveAnnouncement(paths.announcement())) {
    const KeyBytes key = provision(paths, options);
    return {.connection = {.baseUrl = announced->baseUrl,
                           .certificate = announced->certificate,
                           .signingKey = key},
            .process = nullptr};
  }
  return startLocalService(paths, options);
}

}  // namespace quillo::service
