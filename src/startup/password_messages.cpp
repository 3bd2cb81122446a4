#include "startup/password_messages.h"

namespace ris {

std::string LibraryNotLoadedMessage(std::string_view system_folder) {
  std::string message = "Could not load library ";
  message += system_folder;
  message += "MPR.DLL - ";
  message += " The password cannot be changed";
  return message;
}

std::string EntryPointMissingMessage(std::string_view system_folder) {
  std::string message = "Libarary ";
  message += system_folder;
  message += "MPR.DLL does not ";
  message += "contain PwdChangePasswordA used to set the password!";
  return message;
}

}  // namespace ris
