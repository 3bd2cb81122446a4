#pragma once
// Small helpers shared by the raster decoders of the extended formats
// (portable maps, Targa, GIF, PCX, SGI, Photoshop, RLA, Dr. Halo, Paint Shop
// Pro).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "pictures/image_decoder.h"

namespace ris::raster {

// A sample of 0..maxval scaled to 0..255, rounded to nearest.
inline std::uint8_t ScaleToByte(std::uint32_t value, std::uint32_t maxval) noexcept {
  if (maxval == 0) return 0;
  if (value > maxval) value = maxval;
  return static_cast<std::uint8_t>((std::uint64_t{value} * 255 + maxval / 2) / maxval);
}

inline constexpr Bgra Grey(std::uint8_t level) noexcept { return Bgra{level, level, level, 255}; }

// One packet of a byte-wise run-length code: `Count` bytes copied from the
// input, or the next input byte repeated `Count` times. A count of 0 ends
// the code early.
struct RunPacket {
  std::size_t Count = 0;
  bool Repeat = false;
};

// How far a run-length code got: input bytes used and output bytes written.
struct Unpacked {
  std::size_t Consumed = 0;
  std::size_t Produced = 0;
  bool Overfilled = false;  // a packet reached past the output or the input
};

// Unpacks the code in `packed` into `out` until `out` is full, the input
// ends or a packet of count 0 comes. The formats differ only in how a
// control byte reads, which `packet_of` says. Never reads or writes past
// either span.
template <typename PacketOf>
Unpacked UnpackRuns(ByteSpan packed, std::span<std::uint8_t> out, PacketOf packet_of) {
  Unpacked state;
  while (state.Produced < out.size() && state.Consumed < packed.size()) {
    const RunPacket packet = packet_of(packed[state.Consumed++]);
    if (packet.Count == 0) break;
    const std::size_t needed = packet.Repeat ? 1 : packet.Count;
    if (packet.Count > out.size() - state.Produced || needed > packed.size() - state.Consumed) {
      state.Overfilled = true;
      break;
    }
    std::uint8_t* target = out.data() + state.Produced;
    if (packet.Repeat) std::fill_n(target, packet.Count, packed[state.Consumed]);
    else std::copy_n(packed.data() + state.Consumed, packet.Count, target);
    state.Consumed += needed;
    state.Produced += packet.Count;
  }
  return state;
}

}  // namespace ris::raster
