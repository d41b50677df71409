#include "quillo/service/nonce_store_address.h"

#include <charconv>

#include "quillo/service/file_nonce_store.h"
#include "quillo/service/redis_nonce_store.h"

namespace quillo::service {

std::unique_ptr<NonceStore> openNonceStore(std::string_view address) {
  constexpr std::string_view kRedis = "redis://";
  if (address.starts_with(kRedis)) {
    std::string_view hostPort = address.substr(kRedis.size());
    if (hostPort.ends_with('/')) hostPort.remove_suffix(1);
    const std::size_t colon = hostPort.rfind(':');
    int port = 0;
    if (colon == std::string_view::npos || colon == 0 ||
        std::from_chars(hostPort.data() + colon + 1, hostPort.data() + hostPort.size(), port).ec !=
            std::errc{} ||
        port <= 0 || port > 65535)
      throw NonceStoreError("A Redis nonce store is named redis://HOST:PORT, not '" + std::string(address) +
                            "'.");
    return std::make_unique<RedisNonceStore>(std::string(hostPort.substr(0, colon)), port);
  }
  std::filesystem::path path(address);
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  return std::make_unique<FileNonceStore>(path);
}

}  // namespace quillo::service
