#include "quillo/core/preferences/file_defaults_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <iterator>
#include <utility>

#include "property_list.h"
#include "quillo/base/log.h"

namespace quillo::core {
namespace {

namespace fs = std::filesystem;

constexpr base::log::Logger kLog("defaults");
constexpr std::string_view kSaveFailure = "Preferences could not be saved. Check available disk space.";

// Closes a file descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const noexcept { return fd_; }
  int release() noexcept { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

std::string timestamp() {
  const auto now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
  gmtime_r(&now, &utc);
  return fmt::format("{:04}{:02}{:02}T{:02}{:02}{:02}Z", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                     utc.tm_hour, utc.tm_min, utc.tm_sec);
}

}  // namespace

FileDefaultsStore::FileDefaultsStore(fs::path file, Options options)
    : file_(std::move(file)), options_(std::move(options)) {
  load();
}

fs::path FileDefaultsStore::standardPath(const platform::System& system) {
  const std::string configHome = system.environment("XDG_CONFIG_HOME").value_or("");
  // A relative XDG_CONFIG_HOME is invalid and is ignored.
  const fs::path base = !configHome.empty() && configHome.front() == '/'
                            ? fs::path(configHome)
                            : fs::path(system.homeFolder()) / ".config";
  return base / "quillo" / "defaults.plist";
}

std::optional<DefaultsValue> FileDefaultsStore::value(std::string_view key) const {
  const auto found = values_.find(key);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

void FileDefaultsStore::store(std::string_view key, std::optional<DefaultsValue> value) {
  DefaultsValue::Dictionary next = values_;
  if (value) {
    next.insert_or_assign(std::string(key), std::move(*value));
  } else if (const auto found = next.find(key); found != next.end()) {
    next.erase(found);
  }
  write(next);
  values_ = std::move(next);
}

void FileDefaultsStore::load() {
  std::ifstream file(file_, std::ios::binary);
  if (!file) return;  // no file yet: nothing stored
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (auto values = property_list::readDictionary(bytes)) {
    values_ = std::move(*values);
    return;
  }
  // Keep the unreadable file for the user, out of the way of the next write.
  fs::path aside = file_;
  aside += ".corrupt-" + timestamp();
  std::error_code error;
  fs::rename(file_, aside, error);
  kLog.warning("{} could not be read as preferences; moved it to {} and started empty", file_.string(),
               error ? std::string("nowhere (") + error.message() + ")" : aside.string());
}

void FileDefaultsStore::write(const DefaultsValue::Dictionary& values) const {
  const fs::path folder = file_.parent_path();
  std::error_code error;
  if (!fs::exists(folder, error)) {
    fs::create_directories(folder, error);
    if (error) throw DefaultsError(std::string(kSaveFailure));
    fs::permissions(folder, fs::perms::owner_all, error);
  }

  const std::string bytes = property_list::writeDictionary(values);
  std::string temporary = file_.string() + ".tmp-XXXXXX";
  // mkstemp creates the file readable and writable by the owner only.
  FileDescriptor fd(mkstemp(temporary.data()));
  if (fd.get() < 0) throw DefaultsError(std::string(kSaveFailure));
  const bool written = writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0 && ::close(fd.release()) == 0;
  if (!written) {
    ::unlink(temporary.c_str());
    throw DefaultsError(std::string(kSaveFailure));
  }
  try {
    if (options_.beforeReplace) options_.beforeReplace();
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
  if (::rename(temporary.c_str(), file_.c_str()) != 0) {
    ::unlink(temporary.c_str());
    throw DefaultsError(std::string(kSaveFailure));
  }
  // The rename is durable once the folder's entry is on disk too.
  const FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY));
  if (directory.get() >= 0) ::fsync(directory.get());
}

}  // namespace quillo::core
