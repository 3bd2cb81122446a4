#pragma once
// Bytes of a known size that arrive from the front while they are read: a
// producer (a helper thread decrypting an archive entry) finishes them in
// order and says how far it has come; a reader waits for the part it needs
// and reads it in place. Once complete they are plain bytes in memory.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>

namespace ris {

class ArrivingBytes {
 public:
  // `buffer` is the bytes' place, of their full size; none has arrived yet.
  explicit ArrivingBytes(std::string buffer);
  // Bytes that are all there already.
  static std::shared_ptr<ArrivingBytes> Complete(std::string bytes);

  ArrivingBytes(const ArrivingBytes&) = delete;
  ArrivingBytes& operator=(const ArrivingBytes&) = delete;

  std::size_t Size() const noexcept { return buffer_.size(); }

  // Waits until the first `count` bytes (at most all) have arrived or no more
  // will, and returns how many have arrived. Only those may be read.
  std::size_t WaitFor(std::size_t count) const;
  const std::uint8_t* Data() const noexcept { return reinterpret_cast<const std::uint8_t*>(buffer_.data()); }

  // The producer's side. It writes only bytes that have not arrived yet.
  std::span<char> Writable() noexcept { return buffer_; }
  // The first `count` bytes are final.
  void Arrive(std::size_t count);
  // No more will arrive: all of them, or fewer when the producer failed.
  void Close();

 private:
  std::string buffer_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::size_t arrived_ = 0;
  bool closed_ = false;
};

}  // namespace ris
