#pragma once

#include <filesystem>
#include <string_view>

namespace quillo::service {

// A whole file mapped read-only into memory; unmapped when destroyed.
class MappedFile {
 public:
  // Throws std::runtime_error when the file cannot be opened or mapped.
  explicit MappedFile(const std::filesystem::path& path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  std::string_view text() const { return {data_, size_}; }

 private:
  const char* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace quillo::service
