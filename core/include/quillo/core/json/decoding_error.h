#pragma once

#include <stdexcept>

namespace quillo::core {

// Data that does not have the shape the program expects (a service answer, a stored record);
// what() says what was wrong. Such data is never partly used.
class DecodingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace quillo::core
