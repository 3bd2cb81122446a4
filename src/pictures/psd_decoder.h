#pragma once
// Photoshop documents, merged image only; see psd_decoder.cpp.

#include "pictures/decoders.h"
