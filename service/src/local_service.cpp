#include "quillo/service/local_service.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "quillo/base/bounded_read.h"
#include "quillo/base/xdg.h"

namespace quillo::service {
namespace {

constexpr std::size_t kMaxAnnouncementBytes = 4096;

bool isRunning(long pid) {
  return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

}  // namespace

LocalServicePaths LocalServicePaths::fromEnvironment(
    const std::function<std::optional<std::string>(const char*)>& environment,
    const std::filesystem::path& home) {
  const auto folder = [&](base::XdgFolder kind) {
    return base::xdgFolder(kind, environment(std::string(base::xdgVariable(kind)).c_str()), home);
  };
  LocalServicePaths paths;
  paths.configFolder = folder(base::XdgFolder::config) / "quillo";
  paths.dataFolder = folder(base::XdgFolder::data) / "quillo" / "ravo";
  const std::optional<std::string> runtime = environment("XDG_RUNTIME_DIR");
  if (runtime && !runtime->empty() && runtime->front() == '/') {
    paths.runtimeFolder = std::filesystem::path(*runtime) / "quillo";
  } else {
    paths.runtimeFolder = "/tmp/quillo-" + std::to_string(::getuid());
  }
  return paths;
}

LocalServicePaths LocalServicePaths::ofThisUser() {
  const auto environment = [](const char* name) -> std::optional<std::string> {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  };
  const char* home = std::getenv("HOME");
  return fromEnvironment(environment, home != nullptr ? home : "/");
}

void writeAnnouncement(const std::filesystem::path& file, const Announcement& announcement) {
  std::filesystem::create_directories(file.parent_path());
  ::chmod(file.parent_path().c_str(), 0700);
  const std::string text = nlohmann::json{{"baseUrl", announcement.baseUrl},
                                          {"pid", announcement.pid},
                                          {"certificate", announcement.certificate.string()}}
                               .dump() +
                           "\n";
  const std::filesystem::path temporary = file.string() + "." + std::to_string(::getpid());
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) throw std::runtime_error("Cannot write '" + temporary.string() + "': " + std::strerror(errno));
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  if (!written || ::rename(temporary.c_str(), file.c_str()) != 0) {
    ::unlink(temporary.c_str());
    throw std::runtime_error("Cannot write '" + file.string() + "'.");
  }
}

std::optional<Announcement> readLiveAnnouncement(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  if (!stream) return std::nullopt;
  const std::optional<std::string> text = base::readAtMost(stream, kMaxAnnouncementBytes);
  if (!text) return std::nullopt;
  const nlohmann::json json = nlohmann::json::parse(*text, nullptr, false);
  if (!json.is_object() || !json.contains("baseUrl") || !json["baseUrl"].is_string() ||
      !json.contains("pid") || !json["pid"].is_number_integer() || !json.contains("certificate") ||
      !json["certificate"].is_string())
    return std::nullopt;
  Announcement announcement{.baseUrl = json["baseUrl"].get<std::string>(),
                            .pid = json["pid"].get<long>(),
                            .certificate = json["certificate"].get<std::string>()};
  if (!isRunning(announcement.pid)) return std::nullopt;
  return announcement;
}

void withdrawAnnouncement(const std::filesystem::path& file, long pid) {
  std::ifstream stream(file, std::ios::binary);
  if (!stream) return;
  const std::optional<std::string> text = base::readAtMost(stream, kMaxAnnouncementBytes);
  const nlohmann::json json = nlohmann::json::parse(text.value_or(""), nullptr, false);
  if (json.is_object() && json.contains("pid") && json["pid"] == pid) ::unlink(file.c_str());
}

}  // namespace quillo::service
