#pragma once
// Portable bit, grey and pixel maps (P1..P6); see portable_map_decoder.cpp.

#include "pictures/decoders.h"
