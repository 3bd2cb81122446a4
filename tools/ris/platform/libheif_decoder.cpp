// HEIC through Debian's libheif, once what its boxes declare is found
// within the limits (heif_declarations.h). libheif turns the picture by its irot and
// imir properties as it decodes, which is how HEIF records orientation (its
// EXIF orientation, if any, only repeats them), so the size asked of the
// handle is the upright one.
#include <libheif/heif.h>

#include <memory>

#include "camera_decoders.h"
#include "camera_pixels.h"
#include "platform/heif_declarations.h"

namespace ris::tool {
namespace {

struct HeifDeleter {
  void operator()(heif_context* context) const noexcept { heif_context_free(context); }
  void operator()(heif_image_handle* handle) const noexcept { heif_image_handle_release(handle); }
  void operator()(heif_image* image) const noexcept { heif_image_release(image); }
};
template <typename T>
using HeifPointer = std::unique_ptr<T, HeifDeleter>;

std::string Message(const heif_error& error) {
  return std::string("HEIC: ") + (error.message && *error.message ? error.message : "the file is broken");
}

}  // namespace

CameraDecode DecodeHeif(std::string_view bytes, const DecodeLimits& limits) {
  const HeifDeclarations declared = HeifDeclarationsIn(bytes);
  if (!declared.Readable || declared.CodedSizes.empty()) {
    return Failure{std::string("HEIC: no HEVC-coded picture with readable parameters in it")};
  }
  if (declared.LongestExtent > bytes.size()) {
    return Failure{std::string("HEIC: its picture data claims more bytes than the file holds: the file is broken")};
  }
  for (const auto& [width, height] : declared.CodedSizes) {
    if (auto refusal = SizeRefusal(limits, width, height)) return Failure{"HEIC: its coded picture: " + *refusal};
  }
  for (const auto& [width, height] : declared.CanvasSizes) {
    if (auto refusal = SizeRefusal(limits, width, height)) return Failure{"HEIC: its tiled picture: " + *refusal};
  }
  const HeifPointer<heif_context> context(heif_context_alloc());
  if (!context) return Failure{std::string("HEIC: out of memory")};
  heif_context_set_maximum_image_size_limit(context.get(), kMaxPictureSide);
  heif_error error = heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(), nullptr);
  if (error.code != heif_error_Ok) return Failure{Message(error)};
  heif_image_handle* primary = nullptr;
  error = heif_context_get_primary_image_handle(context.get(), &primary);
  const HeifPointer<heif_image_handle> handle(primary);
  if (error.code != heif_error_Ok) return Failure{Message(error)};
  const int width = heif_image_handle_get_width(handle.get());
  const int height = heif_image_handle_get_height(handle.get());
  if (auto refusal = SizeRefusal(limits, width, height)) return Failure{"HEIC: " + *refusal};
  heif_image* decoded = nullptr;
  error = heif_decode_image(handle.get(), &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr);
  const HeifPointer<heif_image> image(decoded);
  if (error.code != heif_error_Ok) return Failure{Message(error)};
  int stride = 0;
  const std::uint8_t* rows = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  if (rows == nullptr || stride < width * 4 || heif_image_get_width(image.get(), heif_channel_interleaved) != width ||
      heif_image_get_height(image.get(), heif_channel_interleaved) != height) {
    return Failure{std::string("HEIC: the decoded picture is not the size the file declares")};
  }
  return FromRgbaRows(rows, static_cast<std::size_t>(stride), width, height, true);
}

}  // namespace ris::tool
