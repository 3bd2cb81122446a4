#include "startup/password_messages.h"

#include <gtest/gtest.h>

namespace ris {
namespace {

TEST(PasswordChangeMessages, NameTheLibraryInTheSystemFolder) {
  EXPECT_EQ(LibraryNotLoadedMessage("C:\\WINDOWS\\system32\\"),
            "Could not load library C:\\WINDOWS\\system32\\MPR.DLL -  The password cannot be changed");
  EXPECT_EQ(EntryPointMissingMessage("C:\\WINDOWS\\system32\\"),
            "Libarary C:\\WINDOWS\\system32\\MPR.DLL does not contain PwdChangePasswordA used to set the "
            "password!");
}

}  // namespace
}  // namespace ris
