#pragma once
// Kodak Photo-CD image packs; see pcd_decoder.cpp.

#include "pictures/decoders.h"
