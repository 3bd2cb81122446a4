#include "request_guard.h"

#include <array>
#include <random>
#include <system_error>

#include "base/ascii.h"

namespace ris::tool {

namespace fs = std::filesystem;

namespace {

// Compares every byte whatever the first difference, so that the time a
// refusal takes tells nothing of how much of a guess was right.
bool SameSecret(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  return difference == 0;
}

bool IsAllowedPart(std::string_view part) {
  return !part.empty() && part != "." && part != ".." && part.find_first_of(std::string_view("\0\\:", 3)) ==
                                                             std::string_view::npos;
}

// Below `root` as the file system compares names: folding case on Windows.
bool LiesBelow(const fs::path& root, const fs::path& path) {
  const std::string base = root.generic_string() + "/";
  const std::string full = path.generic_string();
#ifdef _WIN32
  return FoldAscii(full).starts_with(FoldAscii(base));
#else
  return full.starts_with(base);
#endif
}

}  // namespace

std::string NewStudioToken() {
  std::random_device device;
  constexpr std::string_view kHex = "0123456789abcdef";
  std::string token(64, '0');
  for (char& digit : token) digit = kHex[device() & 0xFu];
  return token;
}

std::optional<std::string> RequestRefusal(const StudioAddress& address, const RequestHeaders& headers,
                                          bool needs_token) {
  std::string own_host = "127.0.0.1:";
  own_host.append(std::to_string(address.Port));
  std::string own_origin = "http://";
  own_origin.append(own_host);
  if (headers.Host != own_host) return std::string("the request is not addressed to ").append(own_host);
  if (headers.Origin && *headers.Origin != own_origin) return std::string("the request comes from another site");
  if (needs_token && (!headers.Token || !SameSecret(*headers.Token, address.Token))) {
    return "the request lacks the studio's token";
  }
  return std::nullopt;
}

Result<fs::path, std::string> PathInside(const fs::path& folder, std::string_view relative) {
  std::string refused(relative.substr(0, 200));
  refused.append(" is no file of the product");
  if (relative.empty() || relative.front() == '/') return Failure{refused};
  std::error_code error;
  const fs::path root = fs::canonical(folder, error);
  if (error) return Failure{refused};
  fs::path path = root;
  for (std::size_t start = 0; start <= relative.size();) {
    const std::size_t end = std::min(relative.find('/', start), relative.size());
    const std::string_view part = relative.substr(start, end - start);
    if (!IsAllowedPart(part)) return Failure{refused};
    path /= fs::path(std::string(part));
    if (fs::is_symlink(fs::symlink_status(path, error))) return Failure{refused};
    start = end + 1;
  }
  if (!LiesBelow(root, fs::weakly_canonical(path, error)) || error) return Failure{refused};
  return path;
}

}  // namespace ris::tool
