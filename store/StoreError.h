#pragma once
// The error of the record store and of its data packet.
#include <stdexcept>

namespace store {

// An error of the record store; what() is UTF-8 text for the error box.
class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace store
