#pragma once
// CompuServe GIF, first frame; see gif_decoder.cpp.

#include "media/decoders.h"
