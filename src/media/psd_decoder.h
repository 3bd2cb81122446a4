#pragma once
// Photoshop documents, merged image only; see psd_decoder.cpp.

#include "media/decoders.h"
