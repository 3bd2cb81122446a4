#include "base/errors.h"

namespace ris {

std::string CurrentExceptionMessage() {
  try {
    throw;
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "An unexpected error occurred.";
  }
}

std::string FormatMessage(std::string_view message_template, std::string_view argument) {
  std::string message(message_template);
  if (const auto at = message.find("%s"); at != std::string::npos) {
    message.replace(at, 2, argument);
  }
  return message;
}

}  // namespace ris
