// fracrender: draws one frame of the fractal saver with its own picture
// engine and writes it as a 24-bit BMP, for looking at presets and regions.
//
//   fracrender [--preset N | --region XMAX,XMIN,YMAX,YMIN] [--size WxH]
//              [--fast] [--shiftpal] [--rotate N] [--checksum] [-o FILE.bmp]
//
// The colour table is built fresh and turned by --rotate entries first.
// --checksum prints the frame's 64-bit FNV-1a over its COLORREF pixels.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fracsave/core/colour_table.h"
#include "fracsave/core/mandelbrot.h"

using namespace fracsave;

namespace {

class NoHost : public RegionHost {
 public:
  int64_t NowSeconds() override { return 0; }
  void WriteSetInfo(const std::string&) override {}
};

void Put16(std::vector<unsigned char>& b, unsigned v) {
  b.push_back(v & 0xff), b.push_back((v >> 8) & 0xff);
}
void Put32(std::vector<unsigned char>& b, unsigned v) { Put16(b, v & 0xffff), Put16(b, v >> 16); }

bool WriteBmp(const char* path, const Surface& s) {
  const unsigned stride = (unsigned(s.width) * 3 + 3) & ~3u;
  const unsigned image = stride * unsigned(s.height);
  std::vector<unsigned char> b;
  b.push_back('B'), b.push_back('M');
  Put32(b, 54 + image), Put32(b, 0), Put32(b, 54);
  Put32(b, 40), Put32(b, unsigned(s.width)), Put32(b, unsigned(s.height));
  Put16(b, 1), Put16(b, 24), Put32(b, 0), Put32(b, image);
  Put32(b, 2835), Put32(b, 2835), Put32(b, 0), Put32(b, 0);
  for (int y = s.height - 1; y >= 0; --y) {  // bottom-up
    unsigned row = 0;
    for (int x = 0; x < s.width; ++x, row += 3) {
      const uint32_t c = s.At(x, y);
      b.push_back((c >> 16) & 0xff), b.push_back((c >> 8) & 0xff), b.push_back(c & 0xff);
    }
    for (; row < stride; ++row) b.push_back(0);
  }
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
  return std::fclose(f) == 0 && ok;
}

int Usage() {
  std::fprintf(stderr,
               "usage: fracrender [--preset N | --region XMAX,XMIN,YMAX,YMIN] [--size WxH]\n"
               "                  [--fast] [--shiftpal] [--rotate N] [--checksum] [-o FILE.bmp]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  SaverSettings settings = {};
  Region region = kPresets[1];
  int width = 640, height = 480, rotate = 0;
  bool checksum = false;
  const char* out = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--preset" && hasValue) {
      const int n = std::atoi(argv[++i]);
      if (n < 0 || n >= kPresetCount) return Usage();
      region = kPresets[n];
    } else if (a == "--region" && hasValue) {
      if (std::sscanf(argv[++i], "%lf,%lf,%lf,%lf", &region.xmax, &region.xmin, &region.ymax,
                      &region.ymin) != 4)
        return Usage();
    } else if (a == "--size" && hasValue) {
      if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0 ||
          width > 16384 || height > 16384)
        return Usage();
    } else if (a == "--fast") {
      settings.fastGen = 1;
    } else if (a == "--shiftpal") {
      settings.shiftPal = 1;
    } else if (a == "--rotate" && hasValue) {
      rotate = std::atoi(argv[++i]);
    } else if (a == "--checksum") {
      checksum = true;
    } else if (a == "-o" && hasValue) {
      out = argv[++i];
    } else {
      return Usage();
    }
  }
  if (!out && !checksum) return Usage();

  static SaverState state = {};
  BuildColourTable(state.colourTable);
  RotateColourTable(state.colourTable, rotate);
  state.mset = region;
  state.frameCount = 1;  // not the first frame of a process: no black fill, no notice
  NoHost host;
  SurfaceScreen screen(width, height);
  DrawFrame(state, settings, host, screen, width, height);

  if (checksum) std::printf("%016llx\n", static_cast<unsigned long long>(screen.screen.Checksum()));
  if (out && !WriteBmp(out, screen.screen)) {
    std::fprintf(stderr, "fracrender: cannot write %s\n", out);
    return 1;
  }
  return 0;
}
