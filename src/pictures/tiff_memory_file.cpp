#include "pictures/tiff_memory_file.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include <tiffio.h>

namespace ris {

struct TiffCallbacks {
  static TiffMemoryFile& File(thandle_t handle) { return *static_cast<TiffMemoryFile*>(handle); }

  static tmsize_t Read(thandle_t handle, void* buffer, tmsize_t size) {
    TiffMemoryFile& file = File(handle);
    if (size <= 0 || file.position_ >= file.data_.size()) return 0;
    const std::size_t count = std::min<std::uint64_t>(static_cast<std::uint64_t>(size),
                                                      file.data_.size() - file.position_);
    std::memcpy(buffer, file.data_.data() + file.position_, count);
    file.position_ += count;
    return static_cast<tmsize_t>(count);
  }

  static tmsize_t Write(thandle_t /*handle*/, void* /*buffer*/, tmsize_t /*size*/) { return -1; }

  // Seeking beyond the end is allowed, as with a file; reads there give
  // nothing. A position before the start, or one that overflows, is refused.
  static toff_t Seek(thandle_t handle, toff_t offset, int whence) {
    TiffMemoryFile& file = File(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR) base = file.position_;
    else if (whence == SEEK_END) base = file.data_.size();
    else if (whence != SEEK_SET) return static_cast<toff_t>(-1);
    // libtiff passes negative offsets as large unsigned ones.
    const auto signed_offset = static_cast<std::int64_t>(offset);
    if (signed_offset < 0 && static_cast<std::uint64_t>(-(signed_offset + 1)) >= base) {
      return static_cast<toff_t>(-1);
    }
    if (signed_offset > 0 && static_cast<std::uint64_t>(signed_offset) > (std::uint64_t{1} << 62) - base) {
      return static_cast<toff_t>(-1);
    }
    file.position_ = base + static_cast<std::uint64_t>(signed_offset);
    return file.position_;
  }

  static int Close(thandle_t /*handle*/) { return 0; }
  static toff_t Size(thandle_t handle) { return File(handle).data_.size(); }
  // The bytes are handed over as a mapped file: libtiff then takes strips
  // and tiles straight from them, within their size. libtiff only reads
  // mapped bytes (it maps real files read-only), so the cast is safe.
  static int Map(thandle_t handle, void** base, toff_t* size) {
    TiffMemoryFile& file = File(handle);
    *base = const_cast<std::uint8_t*>(file.data_.data());
    *size = file.data_.size();
    return 1;
  }
  static void Unmap(thandle_t /*handle*/, void* /*base*/, toff_t /*size*/) {}

  static int OnError(TIFF* /*tif*/, void* user_data, const char* /*module*/, const char* format, va_list arguments) {
    TiffMemoryFile& file = File(user_data);
    if (file.first_error_.empty()) {
      char text[512];
      std::vsnprintf(text, sizeof text, format, arguments);
      file.first_error_ = text[0] != '\0' ? text : "error";
    }
    return 1;  // handled: libtiff's global handler is not called
  }

  static int OnWarning(TIFF* /*tif*/, void* /*user_data*/, const char* /*module*/, const char* /*format*/,
                       va_list /*arguments*/) {
    return 1;  // warnings describe data libtiff read anyway
  }
};

namespace {

// Diagnostics that reach libtiff's global handlers (those it gives before a
// file's own handlers are known) are dropped once, for the whole process.
void SilenceGlobalHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
  });
}

}  // namespace

TiffMemoryFile::TiffMemoryFile(ByteSpan data) : data_(data) {
  SilenceGlobalHandlers();
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (options == nullptr) return;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(kMaxTiffAllocation));
  TIFFOpenOptionsSetErrorHandlerExtR(options, TiffCallbacks::OnError, this);
  TIFFOpenOptionsSetWarningHandlerExtR(options, TiffCallbacks::OnWarning, this);
  // Read only, with the bytes mapped: without mapping, libtiff 4.5 refuses
  // uncompressed tiles whose size is not a multiple of 1024 bytes (it
  // compares the tile with its rounded-up read buffer).
  handle_ = TIFFClientOpenExt("memory", "r", this, TiffCallbacks::Read, TiffCallbacks::Write, TiffCallbacks::Seek,
                              TiffCallbacks::Close, TiffCallbacks::Size, TiffCallbacks::Map, TiffCallbacks::Unmap,
                              options);
  TIFFOpenOptionsFree(options);
}

TiffMemoryFile::~TiffMemoryFile() {
  if (handle_ != nullptr) TIFFClose(handle_);
}

}  // namespace ris
