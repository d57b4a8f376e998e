#include "cli/PlanChart.h"

#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

#include "base/AtomicFile.h"

namespace lum::cli {

namespace {
constexpr int kWidth = 720;
constexpr int kHeight = 360;
constexpr int kMargin = 20;
constexpr int kBarsPerMonth = 3;
constexpr int kBarGap = 2;
constexpr double kMinutesPerDay = 24 * 60.0;
constexpr int kChannels = 3;
constexpr int kBitDepth = 8;

struct Colour {
  uint8_t r, g, b;
};
constexpr Colour kBackground{255, 255, 255};
constexpr Colour kNight{40, 50, 110};
constexpr Colour kLit{240, 180, 40};
constexpr Colour kDraw{60, 150, 80};
constexpr Colour kExceeds{200, 40, 40};
constexpr Colour kAxis{0, 0, 0};

class Canvas {
 public:
  Canvas() : pixels_(static_cast<size_t>(kWidth * kHeight * kChannels), kBackground.r) {}
  void Fill(int x0, int y0, int x1, int y1, Colour c) {
    for (int y = std::max(0, y0); y < std::min(kHeight, y1); ++y)
      for (int x = std::max(0, x0); x < std::min(kWidth, x1); ++x) {
        uint8_t* p = &pixels_[(static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)) * kChannels];
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
      }
  }
  // A bar standing on the baseline, `share` of the plot's height (clipped to it).
  void Bar(int x, int width, double share, Colour c) {
    const int plot = kHeight - 2 * kMargin;
    const int height = static_cast<int>(std::clamp(share, 0.0, 1.0) * plot);
    Fill(x, kHeight - kMargin - height, x + width, kHeight - kMargin, c);
  }
  std::vector<uint8_t>& Pixels() { return pixels_; }

 private:
  std::vector<uint8_t> pixels_;
};

std::string Encode(Canvas& canvas) {
  std::string bytes;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error("cannot make a PNG picture");
  }
  if (setjmp(png_jmpbuf(png))) {  // NOLINT(cert-err52-cpp): libpng reports errors only this way
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("cannot make a PNG picture");
  }
  png_set_write_fn(
      png, &bytes,
      [](png_structp p, png_bytep data, png_size_t size) {
        static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<const char*>(data), size);
      },
      nullptr);
  png_set_IHDR(png, info, kWidth, kHeight, kBitDepth, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < kHeight; ++y) png_write_row(png, &canvas.Pixels()[static_cast<size_t>(y) * kWidth * kChannels]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return bytes;
}
}  // namespace

void WritePlanChart(const std::string& path, const std::array<nights::PlanMonth, nights::kMonths>& months,
                    double usableAh) {
  Canvas canvas;
  const int slot = (kWidth - 2 * kMargin) / nights::kMonths;
  const int bar = (slot - (kBarsPerMonth + 1) * kBarGap) / kBarsPerMonth;
  for (const nights::PlanMonth& m : months) {
    const int x = kMargin + (m.month - 1) * slot + kBarGap;
    canvas.Bar(x, bar, m.nightMinutes.value_or(0) / kMinutesPerDay, kNight);
    canvas.Bar(x + bar + kBarGap, bar, m.litMinutes / kMinutesPerDay, kLit);
    canvas.Bar(x + 2 * (bar + kBarGap), bar, usableAh > 0 ? m.ampereHours / usableAh : 1.0,
               m.exceedsHarvest ? kExceeds : kDraw);
  }
  canvas.Fill(kMargin, kHeight - kMargin, kWidth - kMargin, kHeight - kMargin + 1, kAxis);
  WriteFileAtomically(path, Encode(canvas));
}

}  // namespace lum::cli
