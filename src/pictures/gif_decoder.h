#pragma once
// CompuServe GIF, first frame; see gif_decoder.cpp.

#include "pictures/decoders.h"
