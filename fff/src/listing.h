#pragma once

#include <string>
#include <vector>

#include "index.h"

namespace fff {

struct ListingOptions {
  bool skipHidden = false;
};

struct Listing {
  std::vector<Listed> children;
  int error = 0;  // errno of opening the folder; 0 when it was read
};

// Reads one folder's children with their kind, size and modification time, without following
// symbolic links. A child that vanishes between listing and reading is left out.
Listing listDirectory(const std::string& path, const ListingOptions& options);

}  // namespace fff
