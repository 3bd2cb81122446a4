// Reading the data archive's entries. A deflated entry, encrypted or not,
// inflated the way the reader once did it (decrypted and fed to zlib 64 KiB
// at a time) and the way it does now (decrypted whole, inflated by
// libdeflate in one call), on the same bytes; and the traditional
// decryption alone, in cycles per byte, beside the floor its serial chain
// sets.
//

#include <benchmark/benchmark.h>
#include <libdeflate.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#define RIS_HAVE_TSC 1
#endif

#include "codecs/inflate.h"
#include "archive/zip_crypto.h"
#include "base/random_source.h"

namespace ris {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr std::size_t kPieceBytes = std::size_t{64} << 10;
// About as large as a photographic background of the screen's size.
constexpr std::size_t kDecryptBytes = std::size_t{19} << 17;
constexpr const char* kPassword = "benchmarkPASSW";

// Smooth gradients with noise, as raw RGB rows: what a photo's pixels give a
// deflater.
std::string PhotoLikeBytes() {
  RandomSource random(20261208u);
  std::string rgb;
  rgb.reserve(std::size_t{kWidth} * kHeight * 3);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      for (const int level : {x * 255 / kWidth, y * 255 / kHeight, ((x + y) / 16) % 256}) {
        rgb += static_cast<char>(std::clamp(level + random.NextInt(9) - 4, 0, 255));
      }
    }
  }
  return rgb;
}

// At the level archivers use by default.
std::string RawDeflate(const std::string& plain) {
  libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
  std::string out(libdeflate_deflate_compress_bound(compressor, plain.size()), '\0');
  out.resize(libdeflate_deflate_compress(compressor, plain.data(), plain.size(), out.data(), out.size()));
  libdeflate_free_compressor(compressor);
  return out;
}

// One deflated entry as the archive stores it, with and without encryption.
struct Entry {
  Entry() : plain(PhotoLikeBytes()), deflated(RawDeflate(plain)), encrypted(deflated) {
    ZipCryptoKeys keys(kPassword);
    keys.Encrypt(encrypted);
  }

  std::string plain;
  std::string deflated;
  std::string encrypted;
};

const Entry& TheEntry() {
  static const Entry entry;
  return entry;
}

// The arguments: 1 when the entry is encrypted.
const std::string& StoredBytes(const benchmark::State& state) {
  return state.range(0) != 0 ? TheEntry().encrypted : TheEntry().deflated;
}

void Report(benchmark::State& state, const Result<std::string, std::string>& inflated) {
  if (!inflated || *inflated != TheEntry().plain) state.SkipWithError("the entry does not inflate to its bytes");
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(TheEntry().plain.size()));
  state.counters["deflated_bytes"] = static_cast<double>(TheEntry().deflated.size());
}

void BM_InflateZlibPieces(benchmark::State& state) {
  const std::string& stored = StoredBytes(state);
  const std::size_t size = TheEntry().plain.size();
  Result<std::string, std::string> inflated = Failure{std::string()};
  for (auto _ : state) {
    ZipCryptoKeys keys(kPassword);
    std::string output(size, '\0');
    RawInflater inflater(output);
    std::string piece;
    for (std::size_t at = 0; at < stored.size(); at += piece.size()) {
      piece.assign(stored, at, kPieceBytes);
      if (state.range(0) != 0) keys.Decrypt(piece);
      if (!inflater.Feed(piece)) break;
    }
    if (const auto error = inflater.Finish()) {
      inflated = Failure{*error};
    } else {
      inflated = std::move(output);
    }
    benchmark::DoNotOptimize(inflated);
  }
  Report(state, inflated);
}

void BM_InflateLibdeflateWhole(benchmark::State& state) {
  const std::string& stored = StoredBytes(state);
  const std::size_t size = TheEntry().plain.size();
  Result<std::string, std::string> inflated = Failure{std::string()};
  for (auto _ : state) {
    std::string whole = stored;
    if (state.range(0) != 0) ZipCryptoKeys(kPassword).Decrypt(whole);
    inflated = InflateRaw(whole, size);
    benchmark::DoNotOptimize(inflated);
  }
  Report(state, inflated);
}

// The time-stamp counter's ticks, which run at the processor's nominal clock.
std::uint64_t Ticks() {
#ifdef RIS_HAVE_TSC
  return __rdtsc();
#else
  return 0;
#endif
}

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Cycles per byte are the work's own CPU time times the nominal clock, which
// the time-stamp counter gives against the wall clock over the same spans:
// the machine's other work stretches the wall time, not this.
template <typename Work>
void MeasureCyclesPerByte(benchmark::State& state, std::string& bytes, Work work) {
  double cpu_seconds = 0;
  double wall_seconds = 0;
  std::uint64_t ticks = 0;
  for (auto _ : state) {
    const double cpu_before = ThreadCpuSeconds();
    const double wall_before = WallSeconds();
    const std::uint64_t ticks_before = Ticks();
    work(bytes);
    ticks += Ticks() - ticks_before;
    wall_seconds += WallSeconds() - wall_before;
    cpu_seconds += ThreadCpuSeconds() - cpu_before;
    benchmark::DoNotOptimize(bytes.data());
    benchmark::ClobberMemory();
  }
  const auto total = static_cast<double>(state.iterations()) * static_cast<double>(bytes.size());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
  state.counters["cpu_ns_per_byte"] = cpu_seconds * 1e9 / total;
  if (ticks != 0 && wall_seconds > 0) {
    state.counters["nominal_ghz"] = static_cast<double>(ticks) / wall_seconds * 1e-9;
    state.counters["cycles_per_byte"] = cpu_seconds * (static_cast<double>(ticks) / wall_seconds) / total;
  }
}

void BM_ZipCryptoDecrypt(benchmark::State& state) {
  std::string bytes = TheEntry().encrypted.substr(0, kDecryptBytes);
  const ZipCryptoKeys start(kPassword);
  MeasureCyclesPerByte(state, bytes, [&start](std::string& data) {
    ZipCryptoKeys keys = start;
    keys.Decrypt(data);
  });
}

// The floor under any decryption: the keys' serial chain alone, as short as
// the decryption keeps it (a table load, a multiply, an add, a shift and a
// second table load from one byte's third key to the next's), over tables of
// the same sizes and with every term that can be worked out beside the chain
// left out. Decryption at this floor is as fast as the schedule allows.
void BM_ZipCryptoChainFloor(benchmark::State& state) {
  std::string bytes = TheEntry().encrypted.substr(0, kDecryptBytes);
  RandomSource random(2026u);
  std::vector<std::uint8_t> low_byte_of_step(std::size_t{1} << 14);
  std::vector<std::uint16_t> index_of_step(256);
  for (auto& entry : low_byte_of_step) entry = static_cast<std::uint8_t>(random.NextInt(256));
  for (auto& entry : index_of_step) entry = static_cast<std::uint16_t>(random.NextInt(1 << 14));
  MeasureCyclesPerByte(state, bytes, [&](std::string& data) {
    std::uint32_t index = 0;
    std::uint32_t key1 = 0x23456789u;
    for (char& c : data) {
      const auto cipher = static_cast<std::uint8_t>(c);
      key1 = key1 * 134775813u + 1u + (low_byte_of_step[index] ^ cipher) * 134775813u;
      index = index_of_step[key1 >> 24] ^ cipher;
      c = static_cast<char>(index);
    }
  });
}

BENCHMARK(BM_InflateZlibPieces)->ArgName("encrypted")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateLibdeflateWhole)->ArgName("encrypted")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZipCryptoDecrypt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZipCryptoChainFloor)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ris
