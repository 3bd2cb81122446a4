#pragma once
// The studio's local web server: its page and the API the page calls, on
// 127.0.0.1 only, every request held to the rules of request_guard.h.

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "base/result.h"
#include "studio_product.h"

namespace ris::tool {

// The most the page may send at once, and the most of one photo: a camera's
// largest photos fit many times over; a request beyond either is refused
// before its bytes are read.
inline constexpr std::size_t kMaxStudioRequestBytes = std::size_t{128} << 20;
inline constexpr std::size_t kMaxStudioUploadBytes = std::size_t{64} << 20;
inline constexpr std::size_t kMaxStudioUploadCount = 16;

class StudioServer {
 public:
  // Bound to 127.0.0.1 on a port the system chooses, or why not.
  static Result<std::unique_ptr<StudioServer>, std::string> Bind(StudioFolders folders);
  virtual ~StudioServer() = default;

  // "http://127.0.0.1:PORT/#token=..." (the token after "#" never leaves
  // the browser: the page reads it and sends it in a header).
  virtual std::string Address() const = 0;

  // Answers requests until `interrupted` is set, or until no request has
  // come for `idle` (the page, while open, calls every few seconds).
  virtual void Serve(std::chrono::milliseconds idle, const std::atomic<bool>& interrupted) = 0;
};

}  // namespace ris::tool
