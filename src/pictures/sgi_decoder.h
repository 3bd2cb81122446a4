#pragma once
// SGI image files; see sgi_decoder.cpp.

#include "pictures/decoders.h"
