#pragma once

#include <stdexcept>

// Raised when a timer or another limited resource of the system cannot be had.
class EOutOfResources : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
// Raised for an operation the object's state does not allow.
class EInvalidOperation : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
