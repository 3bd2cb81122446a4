#pragma once
// Encapsulated PostScript with a TIFF preview; see eps_decoder.cpp.

#include "pictures/decoders.h"
