#pragma once
// Windows icons (.ico, and cursors that share the layout): a 6-byte
// directory header (reserved 0, type 1 or 2, entry count), then 16-byte
// entries (width, height, colour count, reserved, planes or hot spot x, bit
// count or hot spot y, byte count, offset of the image). Each image is a
// PNG file or a DIB whose height covers the picture and its 1-bit AND mask.
// A width or height of 0 in an entry means 256. The decoder is made by
// MakeIconDecoder (pictures/decoders.h); it shows the largest image.

#include "pictures/decoders.h"
