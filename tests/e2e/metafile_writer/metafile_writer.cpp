// e2e_metafiles: writes the metafiles that tests/e2e/metafile.sh packs into a
// product, recorded by the system's own GDI the way programs that export
// metafiles record them:
//
//   e2e_metafiles FOLDER
//
//   background.emf        enhanced, 320 x 240: teal #008080, a purple #800080 ellipse
//   background_plain.wmf  plain WMF, window extent 320 x 240: olive #808000, a purple ellipse;
//                         its header as older programs wrote it (see write_plain_wmf)
//   sprite.wmf            placeable WMF (1440 units an inch), 64 x 64: white, a magenta
//                         #FF00FF square 8 pixels in, a blue ellipse on it
//   sprite.emf            enhanced, 64 x 64: as sprite.wmf, the square orange #FF8000
//
// Prints written=NAME for each file; exit code 1 when one could not be made.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kPixelsPerInch = 96;
constexpr int kHundredthsMmPerInch = 2540;
constexpr std::uint16_t kTwipsPerInch = 1440;

// A picture in pixels: a filled rectangle `inset` pixels in from the edges
// (a negative inset reaches past them, so scaling leaves no white seam),
// with a filled ellipse over its middle half.
struct Scene {
  int width;
  int height;
  int inset;
  COLORREF fill;
  COLORREF ellipse;
};

const Scene kBackgroundEmf{320, 240, -4, RGB(0, 128, 128), RGB(128, 0, 128)};
const Scene kBackgroundWmf{320, 240, -4, RGB(128, 128, 0), RGB(128, 0, 128)};
const Scene kSpriteWmf{64, 64, 8, RGB(255, 0, 255), RGB(0, 0, 255)};
const Scene kSpriteEmf{64, 64, 8, RGB(255, 128, 0), RGB(0, 0, 255)};

// Draws the scene in logical units of `scale` per pixel.
void draw(HDC dc, const Scene& scene, int scale) {
  const int left = scene.inset * scale;
  const int top = scene.inset * scale;
  const int right = (scene.width - scene.inset) * scale;
  const int bottom = (scene.height - scene.inset) * scale;
  HGDIOBJ no_pen = GetStockObject(NULL_PEN);
  HBRUSH fill = CreateSolidBrush(scene.fill);
  HBRUSH ellipse = CreateSolidBrush(scene.ellipse);
  HGDIOBJ previous_pen = SelectObject(dc, no_pen);
  HGDIOBJ previous_brush = SelectObject(dc, fill);
  Rectangle(dc, left, top, right, bottom);
  SelectObject(dc, ellipse);
  const int quarter_w = (right - left) / 4;
  const int quarter_h = (bottom - top) / 4;
  Ellipse(dc, left + quarter_w, top + quarter_h, right - quarter_w, bottom - quarter_h);
  SelectObject(dc, previous_brush);
  SelectObject(dc, previous_pen);
  DeleteObject(ellipse);
  DeleteObject(fill);
}

bool write_file(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

void put_u16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

// The 22-byte header that programs put before a WMF so that its size is
// known: key, handle, bounding box, units an inch, reserved, and the XOR of
// the ten words before the checksum.
std::vector<std::uint8_t> placeable_header(int width_units, int height_units, std::uint16_t units_per_inch) {
  const std::uint16_t words[10] = {0xCDD7, 0x9AC6, 0, 0, 0, static_cast<std::uint16_t>(width_units),
                                   static_cast<std::uint16_t>(height_units), units_per_inch, 0, 0};
  std::vector<std::uint8_t> header;
  std::uint16_t checksum = 0;
  for (const std::uint16_t word : words) {
    put_u16(header, word);
    checksum ^= word;
  }
  put_u16(header, checksum);
  return header;
}

// A WMF as GDI records it in memory: the mapping mode and window extent
// first, as every exporting program sets them, then the scene.
std::vector<std::uint8_t> record_wmf(const Scene& scene, int scale) {
  HDC dc = CreateMetaFileW(nullptr);
  if (dc == nullptr) return {};
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetWindowExtEx(dc, scene.width * scale, scene.height * scale, nullptr);
  draw(dc, scene, scale);
  HMETAFILE metafile = CloseMetaFile(dc);
  if (metafile == nullptr) return {};
  std::vector<std::uint8_t> bytes(GetMetaFileBitsEx(metafile, 0, nullptr));
  GetMetaFileBitsEx(metafile, static_cast<UINT>(bytes.size()), bytes.data());
  DeleteMetaFile(metafile);
  return bytes;
}

bool write_placeable_wmf(const std::wstring& path, const Scene& scene) {
  constexpr int kTwipsPerPixel = kTwipsPerInch / kPixelsPerInch;
  std::vector<std::uint8_t> bytes =
      placeable_header(scene.width * kTwipsPerPixel, scene.height * kTwipsPerPixel, kTwipsPerInch);
  const std::vector<std::uint8_t> records = record_wmf(scene, kTwipsPerPixel);
  if (records.empty()) return false;
  bytes.insert(bytes.end(), records.begin(), records.end());
  return write_file(path, bytes);
}

// Without the placeable header the window extent is all there is of a size:
// it is recorded in pixels. Files of this kind mostly come from older
// programs, whose header says disk (type 2) and version 0x100, and which
// may leave a stray byte after the records; this one has all three.
bool write_plain_wmf(const std::wstring& path, const Scene& scene) {
  std::vector<std::uint8_t> records = record_wmf(scene, 1);
  if (records.size() < 6) return false;
  records[0] = 2;     // type: disk
  records[4] = 0x00;  // version 0x0100
  records[5] = 0x01;
  records.push_back(0);
  return write_file(path, records);
}

// An enhanced metafile on the screen as reference device, its frame the
// scene's size at 96 pixels an inch.
bool write_emf(const std::wstring& path, const Scene& scene) {
  const RECT frame{0, 0, scene.width * kHundredthsMmPerInch / kPixelsPerInch,
                   scene.height * kHundredthsMmPerInch / kPixelsPerInch};
  HDC dc = CreateEnhMetaFileW(nullptr, path.c_str(), &frame, L"e2e\0metafile test picture\0");
  if (dc == nullptr) return false;
  draw(dc, scene, 1);
  HENHMETAFILE metafile = CloseEnhMetaFile(dc);
  if (metafile == nullptr) return false;
  DeleteEnhMetaFile(metafile);
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: e2e_metafiles FOLDER\n", stderr);
    return 2;
  }
  const std::wstring folder = std::wstring(argv[1]) + L"\\";
  struct Output {
    const char* name;
    bool written;
  };
  const Output outputs[] = {
      {"background.emf", write_emf(folder + L"background.emf", kBackgroundEmf)},
      {"background_plain.wmf", write_plain_wmf(folder + L"background_plain.wmf", kBackgroundWmf)},
      {"sprite.wmf", write_placeable_wmf(folder + L"sprite.wmf", kSpriteWmf)},
      {"sprite.emf", write_emf(folder + L"sprite.emf", kSpriteEmf)},
  };
  int failed = 0;
  for (const Output& output : outputs) {
    std::printf("%s=%s\n", output.written ? "written" : "failed", output.name);
    failed += output.written ? 0 : 1;
  }
  return failed == 0 ? 0 : 1;
}
