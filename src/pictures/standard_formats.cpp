#include <initializer_list>
#include <string_view>

#include "pictures/decoders.h"
#include "pictures/file_format_list.h"

namespace ris {
namespace {

[[maybe_unused]] void RegisterRow(TFileFormatList& list, std::initializer_list<std::string_view> extensions,
                 const std::shared_ptr<const ImageDecoder>& decoder) {
  for (const std::string_view extension : extensions) list.Register(extension, decoder);
}

// The rows in their fixed order: the order in which decoders are first
// registered is the order in which their recognisers are asked. A row whose
// decoder is not built yet stays a comment in its place.
TFileFormatList BuildStandardFormatList() {
  TFileFormatList list;
  const auto bitmap = MakeBitmapDecoder();
  RegisterRow(list, {"bmp"}, bitmap);
  RegisterRow(list, {"ico"}, MakeIconDecoder());
  RegisterRow(list, {"wmf", "emf"}, MakeMetafileDecoder());
  RegisterRow(list, {"jfif", "jpg", "jpe", "jpeg"}, MakeJpegDecoder());
  RegisterRow(list, {"rle", "dib"}, bitmap);
  RegisterRow(list, {"win", "vst", "vda", "tga", "icb"}, MakeTargaDecoder());
  RegisterRow(list, {"tiff", "tif", "fax"}, MakeTiffDecoder());
  RegisterRow(list, {"eps"}, MakeEpsDecoder());
  RegisterRow(list, {"pcx", "pcc", "scr"}, MakePcxDecoder());
  RegisterRow(list, {"rpf", "rla"}, MakeRlaDecoder());
  RegisterRow(list, {"sgi", "rgba", "rgb", "bw"}, MakeSgiDecoder());
  RegisterRow(list, {"psd", "pdd"}, MakePhotoshopDecoder());
  RegisterRow(list, {"ppm", "pgm", "pbm"}, MakePortableMapDecoder());
  RegisterRow(list, {"cel", "pic"}, MakeAutodeskDecoder());
  RegisterRow(list, {"pcd"}, MakePcdDecoder());
  RegisterRow(list, {"gif"}, MakeGifDecoder());
  RegisterRow(list, {"cut"}, MakeCutDecoder());
  RegisterRow(list, {"psp"}, MakePspDecoder());
  RegisterRow(list, {"png"}, MakePngDecoder());
  return list;
}

}  // namespace

const TFileFormatList& StandardFormatList() {
  static const TFileFormatList list = BuildStandardFormatList();
  return list;
}

}  // namespace ris
