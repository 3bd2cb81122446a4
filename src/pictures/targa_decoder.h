#pragma once
// Truevision Targa; see targa_decoder.cpp.

#include "pictures/decoders.h"
