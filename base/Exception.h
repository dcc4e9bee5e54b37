#pragma once
// The general exception class: every failure of the program carries a message for the user
// and, for file errors, a help context number.

#include <exception>
#include <string>

namespace zel {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message, int helpContext = 0)
      : FMessage(std::move(message)), FHelpContext(helpContext) {}

  const std::string& Message() const noexcept { return FMessage; }
  int HelpContext() const noexcept { return FHelpContext; }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  std::string FMessage;
  int FHelpContext;
};

// Index outside a list: "List index out of bounds (%d)".
class EListError : public Exception {
 public:
  using Exception::Exception;
  static EListError OutOfBounds(long long index);
};

// A file that cannot be opened ("Cannot open file ...") or created ("Cannot create file ...").
class EFOpenError : public Exception {
 public:
  using Exception::Exception;
};
class EFCreateError : public Exception {
 public:
  using Exception::Exception;
};
// Writing to a file that was opened failed ("Cannot write file ...").
class EWriteError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace zel
