#pragma once
// Autodesk Animator cels and pictures; see autodesk_decoder.cpp.

#include "pictures/decoders.h"
