#include "shells/headless/headless_system.h"

#include "base/ascii.h"
#include "shells/headless/file_byte_source.h"

namespace ris {

HeadlessSystem::HeadlessSystem(std::string executable_path)
    : executable_path_(std::move(executable_path)) {}

void HeadlessSystem::MapFile(const std::string& windows_path, std::filesystem::path file) {
  files_[FoldAscii(windows_path)] = std::move(file);
}

std::shared_ptr<const ByteSource> HeadlessSystem::OpenFile(const std::string& path) const {
  const auto mapped = files_.find(FoldAscii(path));
  if (mapped == files_.end()) return nullptr;
  return FileByteSource::Open(mapped->second);
}

void HeadlessSystem::EndWithError(const std::string& message, int exit_code) {
  throw ProcessExit(message, exit_code);
}

}  // namespace ris
