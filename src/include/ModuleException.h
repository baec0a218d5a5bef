// The framework's exception: thrown only where an object the module needs
// (the bus library, its functions, a sibling library) cannot be had. The entry
// points turn it, like any exception, into MODULE_STATUS_UNKNOWN_EXCEPTION.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace Ledra {

class ModuleException : public std::exception {
 public:
  explicit ModuleException(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

}  // namespace Ledra
