#pragma once

#include <stdexcept>

namespace fff {

// A failure whose what() is the message returned to the caller.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace fff
