#pragma once
// ZSoft Paintbrush (PCX); see pcx_decoder.cpp.

#include "pictures/decoders.h"
