#pragma once
// The decoders of the standard format list, one per format; each lives in
// its own <format>_decoder.cpp.

#include <memory>

#include "pictures/image_decoder.h"

namespace ris {

std::shared_ptr<const ImageDecoder> MakeBitmapDecoder();       // bmp, rle, dib
std::shared_ptr<const ImageDecoder> MakeIconDecoder();         // ico
std::shared_ptr<const ImageDecoder> MakeMetafileDecoder();     // wmf, emf (pictures/metafile_decoder.h)
std::shared_ptr<const ImageDecoder> MakeJpegDecoder();         // jfif, jpg, jpe, jpeg
std::shared_ptr<const ImageDecoder> MakeTargaDecoder();        // win, vst, vda, tga, icb
std::shared_ptr<const ImageDecoder> MakeTiffDecoder();         // tiff, tif, fax
std::shared_ptr<const ImageDecoder> MakeEpsDecoder();          // eps (its TIFF preview)
std::shared_ptr<const ImageDecoder> MakePcxDecoder();          // pcx, pcc, scr
std::shared_ptr<const ImageDecoder> MakeRlaDecoder();          // rpf, rla
std::shared_ptr<const ImageDecoder> MakeSgiDecoder();          // sgi, rgba, rgb, bw
std::shared_ptr<const ImageDecoder> MakePhotoshopDecoder();    // psd, pdd
std::shared_ptr<const ImageDecoder> MakePortableMapDecoder();  // ppm, pgm, pbm
std::shared_ptr<const ImageDecoder> MakeAutodeskDecoder();     // cel, pic
std::shared_ptr<const ImageDecoder> MakePcdDecoder();          // pcd
std::shared_ptr<const ImageDecoder> MakeGifDecoder();          // gif
std::shared_ptr<const ImageDecoder> MakeCutDecoder();          // cut
std::shared_ptr<const ImageDecoder> MakePspDecoder();          // psp
std::shared_ptr<const ImageDecoder> MakePngDecoder();          // png

}  // namespace ris
