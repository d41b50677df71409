#include "quillo/service/nonce_store_address.h"

#include "quillo/service/file_nonce_store.h"

namespace quillo::service {

std::unique_ptr<NonceStore> openNonceStore(std::string_view address) {
  std::filesystem::path path(address);
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  return std::make_unique<FileNonceStore>(path);
}

}  // namespace quillo::service
