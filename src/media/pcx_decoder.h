#pragma once
// ZSoft Paintbrush (PCX); see pcx_decoder.cpp.

#include "media/decoders.h"
