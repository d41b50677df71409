#include "whole_file.h"

#include <fcntl.h>
#include <unistd.h>

#include "unique_fd.h"

namespace fff {

bool replaceWhole(const std::string& path, std::string_view bytes, struct stat* written) {
  const std::string temporary = path + ".tmp" + std::to_string(::getpid());
  const UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  if (!fd.valid()) return false;
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t wrote = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
    if (wrote <= 0) {
      ::unlink(temporary.c_str());
      return false;
    }
    done += static_cast<std::size_t>(wrote);
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  if (written != nullptr && ::fstat(fd.get(), written) != 0) *written = {};
  return true;
}

}  // namespace fff
