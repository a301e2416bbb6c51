// The base of the program's own exception classes: a message text and
// nothing else, so that whatever reports an escaped exception can show it.
#pragma once

#include <stdexcept>
#include <string>

namespace tarnwell {

class Exception : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;

  std::string Message() const { return what(); }
};

}  // namespace tarnwell
