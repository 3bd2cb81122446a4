#pragma once
// Alias/Wavefront RLA and RPF pictures; see rla_decoder.cpp.

#include "pictures/decoders.h"
