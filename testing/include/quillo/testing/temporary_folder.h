#pragma once

#include <filesystem>
#include <string_view>

namespace quillo::testing {

// A fresh folder under the system's temporary folder, removed with everything in it on destruction.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::filesystem::path& path() const noexcept { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Writes `contents` to `path`, creating the folders above it.
void writeFile(const std::filesystem::path& path, std::string_view contents);

}  // namespace quillo::testing
