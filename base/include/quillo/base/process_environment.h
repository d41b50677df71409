#pragma once

#include <map>
#include <string>

namespace quillo::base {

// This process's environment variables by name, as it was given them and has set them since.
std::map<std::string, std::string> processEnvironment();

}  // namespace quillo::base
