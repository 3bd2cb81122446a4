#include "shells/x11/x11_keys.h"

#include <X11/keysym.h>

#include <utility>

namespace ris {
namespace {

constexpr std::pair<unsigned long, std::uint16_t> kKeys[] = {
    {XK_Left, 0x25},        {XK_Up, 0x26},           {XK_Right, 0x27},     {XK_Down, 0x28},
    {XK_Escape, 0x1B},      {XK_Return, 0x0D},       {XK_space, 0x20},     {XK_Tab, 0x09},
    {XK_BackSpace, 0x08},   {XK_Delete, 0x2E},       {XK_Insert, 0x2D},    {XK_Home, 0x24},
    {XK_End, 0x23},         {XK_Prior, 0x21},        {XK_Next, 0x22},      {XK_Shift_L, 0x10},
    {XK_Shift_R, 0x10},     {XK_Control_L, 0x11},    {XK_Control_R, 0x11}, {XK_Alt_L, 0x12},
    {XK_Alt_R, 0x12},       {XK_KP_Add, 0x6B},       {XK_KP_Subtract, 0x6D}, {XK_KP_Multiply, 0x6A},
    {XK_KP_Divide, 0x6F},   {XK_KP_Decimal, 0x6E},   {XK_KP_Delete, 0x6E}, {XK_KP_0, 0x60},
    {XK_KP_Insert, 0x60},   {XK_KP_1, 0x61},         {XK_KP_End, 0x61},    {XK_KP_5, 0x65},
    {XK_KP_Begin, 0x65},    {XK_KP_7, 0x67},         {XK_KP_Home, 0x67},   {XK_KP_9, 0x69},
    {XK_KP_Prior, 0x69},    {XK_KP_Enter, 0x0D},     {XK_F1, 0x70},        {XK_F10, 0x79},
    {XK_KP_2, 0x62},        {XK_KP_Down, 0x62},      {XK_KP_4, 0x64},      {XK_KP_Left, 0x64},
    {XK_KP_6, 0x66},        {XK_KP_Right, 0x66},     {XK_KP_8, 0x68},      {XK_KP_Up, 0x68},
};

}  // namespace

std::uint16_t VirtualKeyFor(unsigned long keysym) noexcept {
  if (keysym >= XK_a && keysym <= XK_z) return static_cast<std::uint16_t>('A' + (keysym - XK_a));
  if (keysym >= XK_A && keysym <= XK_Z) return static_cast<std::uint16_t>(keysym);
  if (keysym >= XK_0 && keysym <= XK_9) return static_cast<std::uint16_t>(keysym);
  for (const auto& [symbol, key] : kKeys) {
    if (symbol == keysym) return key;
  }
  return 0;
}

}  // namespace ris
