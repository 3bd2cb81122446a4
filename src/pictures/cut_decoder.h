#pragma once
// Dr. Halo CUT pictures; see cut_decoder.cpp.

#include "pictures/decoders.h"
