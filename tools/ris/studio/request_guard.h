#pragma once
// What keeps the studio's local server the maker's page's alone. Any
// program on the machine, and any site the maker's browser visits, can
// reach 127.0.0.1; so a request must carry the token the page was opened
// with (in a header, which another site's page cannot set on a request to
// here without the browser asking first, never in a cookie, which the
// browser would send for it), name this server as its Host (a site whose
// name is made to point at 127.0.0.1 sends its own), and come from no other
// site's page (Origin). Files are reached only below the product's folder,
// by names the page gives, each part checked.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"

namespace ris::tool {

// A hard-to-guess token: 32 random bytes in hexadecimal.
std::string NewStudioToken();

struct StudioAddress {
  std::string Token;
  std::uint16_t Port = 0;
};

struct RequestHeaders {
  std::string_view Host;
  std::optional<std::string_view> Origin;
  std::optional<std::string_view> Token;
};

// Why the request is refused, or nothing. `needs_token` is false only for
// the page itself, which holds nothing of the maker's.
std::optional<std::string> RequestRefusal(const StudioAddress& address, const RequestHeaders& headers,
                                          bool needs_token);

// The file `relative` names below `folder`, or why it cannot be one: an
// empty, absolute or drive-relative name, a "." or ".." part, a NUL, a
// backslash or a colon (a Windows stream), or a part that is a link
// (which could point anywhere); on Windows, where names fold case, the
// resolved path must still lie below the folder's own.
Result<std::filesystem::path, std::string> PathInside(const std::filesystem::path& folder, std::string_view relative);

}  // namespace ris::tool
