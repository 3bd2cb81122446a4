#pragma once
// The saver's error classes. Errors that a user or product maker can cause
// carry the message text that is shown to them; the class says which layer
// raised it so callers can decide what to recover from.

#include <stdexcept>
#include <string>
#include <string_view>

namespace ris {

class ESaverError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A text that should have held a number or a boolean did not.
class EConvertError : public ESaverError {
 public:
  using ESaverError::ESaverError;
};

// The registry store was used in a way it cannot serve.
class ERegistryException : public ESaverError {
 public:
  using ESaverError::ESaverError;
};

class ENoRegisterKey : public ERegistryException {
 public:
  ENoRegisterKey() : ERegistryException("No registry key entered") {}
};

// An object text named a class that was never registered.
class EClassNotFound : public ESaverError {
 public:
  using ESaverError::ESaverError;
};

// An object text was malformed.
class EParserError : public ESaverError {
 public:
  using ESaverError::ESaverError;
};

// The message of the exception being handled, for the error boundaries that
// catch everything; call it only inside a catch block.
std::string CurrentExceptionMessage();

// Substitutes the first "%s" of a message template; the saver's messages have
// at most one placeholder.
std::string FormatMessage(std::string_view message_template, std::string_view argument);

}  // namespace ris
