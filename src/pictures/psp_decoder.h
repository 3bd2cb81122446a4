#pragma once
// Paint Shop Pro pictures; see psp_decoder.cpp.

#include "pictures/decoders.h"
