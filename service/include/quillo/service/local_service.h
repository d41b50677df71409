#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace quillo::service {

// Where the local service and its clients keep their files.
struct LocalServicePaths {
  // $XDG_CONFIG_HOME/quillo: the client's signing key.
  std::filesystem::path configFolder;
  // $XDG_DATA_HOME/quillo/ravo: the key list, the certificate and its key, the nonces.
  std::filesystem::path dataFolder;
  // $XDG_RUNTIME_DIR/quillo: the running service's announcement.
  std::filesystem::path runtimeFolder;

  std::filesystem::path signingKey() const { return configFolder / "ravo-client.key"; }
  std::filesystem::path keyList() const { return dataFolder / "clients.keys"; }
  std::filesystem::path certificate() const { return dataFolder / "certificate.pem"; }
  std::filesystem::path certificateKey() const { return dataFolder / "certificate-key.pem"; }
  std::filesystem::path nonces() const { return dataFolder / "nonces"; }
  std::filesystem::path lock() const { return dataFolder / "provisioning.lock"; }
  std::filesystem::path announcement() const { return runtimeFolder / "ravo.json"; }

  // From the XDG variables `environment` returns (unset, empty or relative ones ignored) and
  // the home folder; without XDG_RUNTIME_DIR the runtime folder is /tmp/quillo-UID.
  static LocalServicePaths fromEnvironment(
      const std::function<std::optional<std::string>(const char*)>& environment,
      const std::filesystem::path& home);
  // From this process's environment and $HOME.
  static LocalServicePaths ofThisUser();
};

// What a running local service tells its clients.
struct Announcement {
  std::string baseUrl;
  long pid = 0;
  std::filesystem::path certificate;
  bool operator==(const Announcement&) const = default;
};

// Writes the announcement atomically (mode 0600, the folder 0700). Throws std::runtime_error.
void writeAnnouncement(const std::filesystem::path& file, const Announcement& announcement);
// The announcement in the file when it is readable and its process is still running.
std::optional<Announcement> readLiveAnnouncement(const std::filesystem::path& file);
// Removes the file when it still announces `pid`.
void withdrawAnnouncement(const std::filesystem::path& file, long pid);

}  // namespace quillo::service
