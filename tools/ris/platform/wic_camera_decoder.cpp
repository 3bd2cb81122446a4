// HEIC, AVIF and JPEG XL on Windows, through the Windows Imaging Component:
// the system decodes them with the codecs a user installs from the
// Microsoft Store, so ris.exe carries no HEVC or AV1 decoder of its own and
// stays one static executable. Where a codec is missing, the message names
// the extension that brings it. WIC hands over the pixels as stored; the
// orientation it reads from the file (irot/imir for HEIF and AVIF, the
// codestream's for JPEG XL) comes as System.Photo.Orientation, EXIF's
// values, and is applied here.
#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdio>
#include <limits>
#include <utility>

#include "camera_decoders.h"
#include "camera_pixels.h"

namespace ris::tool {
namespace {

using Microsoft::WRL::ComPtr;

// COM for the calling thread, for as long as a decode lasts; a thread the
// program set up otherwise already has it.
class ComScope {
 public:
  ComScope() : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
  ~ComScope() {
    if (started_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool started_;
};

std::string MissingCodec(CameraFormat format) {
  switch (format) {
    case CameraFormat::Heif:
      return "Windows has no HEIC decoder installed: install \"HEIF Image Extensions\" and \"HEVC Video "
             "Extensions\" from the Microsoft Store";
    case CameraFormat::Avif:
      return "Windows has no AVIF decoder installed: install \"AV1 Video Extension\" from the Microsoft Store";
    default:
      return "Windows has no JPEG XL decoder installed (one that plugs into the Windows Imaging Component)";
  }
}

std::string Failed(CameraFormat format, std::string_view step, HRESULT result) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  return std::string(CameraFormatName(format)) + ": " + std::string(step) + " failed (" + code + ")";
}

int Orientation(IWICBitmapFrameDecode& frame) {
  ComPtr<IWICMetadataQueryReader> reader;
  if (FAILED(frame.GetMetadataQueryReader(&reader))) return 1;
  PROPVARIANT value;
  PropVariantInit(&value);
  int orientation = 1;
  if (SUCCEEDED(reader->GetMetadataByName(L"System.Photo.Orientation", &value)) && value.vt == VT_UI2) {
    orientation = value.uiVal;
  }
  PropVariantClear(&value);
  return orientation;
}

CameraDecode DecodeWithWic(CameraFormat format, std::string_view bytes, const DecodeLimits& limits) {
  const std::string name(CameraFormatName(format));
  if (bytes.size() > std::numeric_limits<DWORD>::max()) return Failure{name + ": the file is too large"};
  const ComScope com;
  ComPtr<IWICImagingFactory> factory;
  HRESULT result = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
  if (FAILED(result)) return Failure{Failed(format, "starting the Windows Imaging Component", result)};
  ComPtr<IWICStream> stream;
  result = factory->CreateStream(&stream);
  if (SUCCEEDED(result)) {
    result = stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                                          static_cast<DWORD>(bytes.size()));
  }
  if (FAILED(result)) return Failure{Failed(format, "reading the file", result)};
  ComPtr<IWICBitmapDecoder> decoder;
  result = factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder);
  if (result == WINCODEC_ERR_COMPONENTNOTFOUND) return Failure{name + ": " + MissingCodec(format)};
  ComPtr<IWICBitmapFrameDecode> frame;
  if (SUCCEEDED(result)) result = decoder->GetFrame(0, &frame);
  UINT width = 0;
  UINT height = 0;
  if (SUCCEEDED(result)) result = frame->GetSize(&width, &height);
  if (FAILED(result)) return Failure{Failed(format, "reading the picture", result)};
  if (auto refusal = SizeRefusal(limits, width, height)) return Failure{name + ": " + *refusal};
  ComPtr<IWICFormatConverter> converter;
  result = factory->CreateFormatConverter(&converter);
  if (SUCCEEDED(result)) {
    result = converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
  }
  PixelImage picture = PixelImage::Blank(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
  // Whether a pixel is see-through is decided by the pixels themselves.
  picture.HasAlpha = true;
  const UINT stride = width * sizeof(Bgra);
  if (SUCCEEDED(result)) {
    result = converter->CopyPixels(nullptr, stride, stride * height, reinterpret_cast<BYTE*>(picture.Pixels.data()));
  }
  if (FAILED(result)) return Failure{Failed(format, "decoding the picture", result)};
  const int orientation = Orientation(*frame.Get());
  return UprightByExif(std::move(picture), orientation);
}

}  // namespace

CameraDecode DecodeHeif(std::string_view bytes, const DecodeLimits& limits) {
  return DecodeWithWic(CameraFormat::Heif, bytes, limits);
}
CameraDecode DecodeAvif(std::string_view bytes, const DecodeLimits& limits) {
  return DecodeWithWic(CameraFormat::Avif, bytes, limits);
}
CameraDecode DecodeJpegXl(std::string_view bytes, const DecodeLimits& limits) {
  return DecodeWithWic(CameraFormat::JpegXl, bytes, limits);
}

}  // namespace ris::tool
