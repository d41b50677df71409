#include "mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

namespace quillo::service {

MappedFile::MappedFile(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("Cannot open '" + path.string() + "'.");
  struct stat status {};
  if (::fstat(fd, &status) != 0) {
    ::close(fd);
    throw std::runtime_error("Cannot read '" + path.string() + "'.");
  }
  size_ = static_cast<std::size_t>(status.st_size);
  if (size_ > 0) {
    void* mapped = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapped == MAP_FAILED) {
      ::close(fd);
      throw std::runtime_error("Cannot map '" + path.string() + "'.");
    }
    data_ = static_cast<const char*>(mapped);
  }
  ::close(fd);
}

MappedFile::~MappedFile() {
  if (data_ != nullptr) ::munmap(const_cast<char*>(data_), size_);
}

}  // namespace quillo::service
