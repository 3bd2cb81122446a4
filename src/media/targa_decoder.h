#pragma once
// Truevision Targa; see targa_decoder.cpp.

#include "media/decoders.h"
