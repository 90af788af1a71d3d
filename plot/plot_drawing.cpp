#include "plot/plot_drawing.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

namespace {

struct Colour {
  double red, green, blue;
};
constexpr Colour kInk{0.1, 0.1, 0.1};
constexpr Colour kMajorGrid{0.6, 0.6, 0.6};
constexpr Colour kMinorGrid{0.86, 0.86, 0.86};
constexpr Colour kWaveform{0.78, 0.31, 0.16};
constexpr Colour kSpectrum{0.12, 0.47, 0.71};
constexpr Colour kResponse{0.17, 0.63, 0.17};
constexpr const char* kFont = "Liberation Sans";
constexpr double kTextSize = 14;
constexpr double kTitleSize = 17;
constexpr double kLeft = 95, kRight = 25, kTop = 48, kBottom = 10, kGap = 62;
constexpr double kLowestFrequency = 10;
constexpr double kSpectrumRange = 160;  // dB from the top of the spectrum's axis to its foot
constexpr double kResponseRange = 1;    // dB either side of the response's median

struct Box {
  double left, top, width, height;
  double Right() const { return left + width; }
  double Bottom() const { return top + height; }
};

// A linear or logarithmic axis from `low` to `high`, onto [from, to] pixels.
struct Scale {
  double low, high, from, to;
  bool logarithmic = false;
  double At(double value) const {
    const double share =
        logarithmic ? std::log(value / low) / std::log(high / low) : (value - low) / (high - low);
    return from + share * (to - from);
  }
};

using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

void SetColour(cairo_t* cr, const Colour& colour) {
  cairo_set_source_rgb(cr, colour.red, colour.green, colour.blue);
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string FrequencyText(double hz) { return hz >= 1000 ? Number(hz / 1000) + "k" : Number(hz); }

enum class Anchor { kLeft, kCentre, kRight };

void Text(cairo_t* cr, const std::string& text, double x, double y, Anchor anchor,
          double size = kTextSize) {
  cairo_set_font_size(cr, size);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  const double shift = anchor == Anchor::kLeft     ? 0
                       : anchor == Anchor::kCentre ? extents.x_advance / 2
                                                   : extents.x_advance;
  SetColour(cr, kInk);
  cairo_move_to(cr, x - shift, y);
  cairo_show_text(cr, text.c_str());
}

void Line(cairo_t* cr, double x0, double y0, double x1, double y1, const Colour& colour) {
  SetColour(cr, colour);
  cairo_set_line_width(cr, 1);
  // Half-pixel positions: one-pixel lines fall on whole pixels.
  cairo_move_to(cr, std::floor(x0) + 0.5, std::floor(y0) + 0.5);
  cairo_line_to(cr, std::floor(x1) + 0.5, std::floor(y1) + 0.5);
  cairo_stroke(cr);
}

void Frame(cairo_t* cr, const Box& box, const std::string& xTitle, const std::string& yTitle) {
  SetColour(cr, kInk);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, std::floor(box.left) + 0.5, std::floor(box.top) + 0.5, std::floor(box.width),
                  std::floor(box.height));
  cairo_stroke(cr);
  Text(cr, xTitle, box.Right(), box.Bottom() + 36, Anchor::kRight);
  cairo_save(cr);
  cairo_move_to(cr, box.left - 62, box.top + box.height / 2);
  cairo_rotate(cr, -M_PI / 2);
  cairo_text_extents_t extents;
  cairo_set_font_size(cr, kTextSize);
  cairo_text_extents(cr, yTitle.c_str(), &extents);
  cairo_rel_move_to(cr, -extents.x_advance / 2, 0);
  SetColour(cr, kInk);
  cairo_show_text(cr, yTitle.c_str());
  cairo_restore(cr);
}

// Gridlines and labels a decade apart (darker), and at 2 and 5 times each decade.
void FrequencyGrid(cairo_t* cr, const Box& box, const Scale& x) {
  for (double decade = 1; decade <= x.high; decade *= 10)
    for (double step : {1.0, 2.0, 5.0}) {
      const double hz = decade * step;
      if (hz < x.low || hz > x.high) continue;
      const double at = x.At(hz);
      const bool major = step == 1.0;
      if (hz > x.low)
        Line(cr, at, box.top + 1, at, box.Bottom() - 1, major ? kMajorGrid : kMinorGrid);
      if (major || x.high / x.low < 1000)
        Text(cr, FrequencyText(hz), at, box.Bottom() + 18, Anchor::kCentre);
    }
}

void LevelGrid(cairo_t* cr, const Box& box, const Scale& y, double step, const char* unit) {
  const double first = std::ceil(std::min(y.low, y.high) / step) * step;
  for (double level = first; level <= std::max(y.low, y.high) + 1e-9; level += step) {
    const double at = y.At(level);
    Line(cr, box.left + 1, at, box.Right() - 1, at, level == 0 ? kMajorGrid : kMinorGrid);
    Text(cr, Number(std::round(level / step) * step) + unit, box.left - 8, at + 5, Anchor::kRight);
  }
}

void Curve(cairo_t* cr, const std::vector<double>& xs, const std::vector<double>& ys,
           const Colour& colour, const Box& box) {
  cairo_save(cr);
  cairo_rectangle(cr, box.left, box.top, box.width, box.height);
  cairo_clip(cr);
  SetColour(cr, colour);
  cairo_set_line_width(cr, 1.5);
  for (std::size_t i = 0; i < xs.size(); ++i)
    (i == 0 ? cairo_move_to : cairo_line_to)(cr, xs[i], ys[i]);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void DrawWaveform(cairo_t* cr, const PlotData& data, const Box& box) {
  const Scale y{-1, 1, box.Bottom(), box.top};
  LevelGrid(cr, box, y, 0.5, "");
  const double rate = data.request.format.rate;
  if (data.request.envelope) {
    const double seconds = static_cast<double>(data.request.frames) / rate;
    const Scale x{0, static_cast<double>(data.lowest.size()), box.left, box.Right()};
    cairo_save(cr);
    cairo_rectangle(cr, box.left, box.top, box.width, box.height);
    cairo_clip(cr);
    SetColour(cr, kWaveform);
    // One shape, the highest values along and the lowest back: columns drawn one by one, a
    // little more than a pixel apart, leave pale seams.
    const std::size_t columns = data.lowest.size();
    for (std::size_t i = 0; i < columns; ++i)
      cairo_line_to(cr, x.At(static_cast<double>(i) + 0.5), y.At(data.highest[i]));
    for (std::size_t i = columns; i-- > 0;)
      cairo_line_to(cr, x.At(static_cast<double>(i) + 0.5), y.At(data.lowest[i]));
    cairo_close_path(cr);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_restore(cr);
    for (int i = 0; i <= 4; ++i)
      Text(cr, Number(seconds * i / 4), box.left + box.width * i / 4, box.Bottom() + 18,
           Anchor::kCentre);
    Frame(cr, box, "time (s): the envelope of the whole file", "full scale");
    return;
  }
  const double milliseconds = 1000.0 * static_cast<double>(data.waveform.size()) / rate;
  const Scale x{0, milliseconds, box.left, box.Right()};
  std::vector<double> xs, ys;
  for (std::size_t n = 0; n < data.waveform.size(); ++n) {
    xs.push_back(x.At(1000.0 * static_cast<double>(n) / rate));
    ys.push_back(y.At(data.waveform[n]));
  }
  Curve(cr, xs, ys, kWaveform, box);
  for (int i = 0; i <= 4; ++i)
    Text(cr, Number(std::round(milliseconds * i / 4 * 1000) / 1000), box.left + box.width * i / 4,
         box.Bottom() + 18, Anchor::kCentre);
  Frame(cr, box, "time (ms): the first frames written", "full scale");
}

void DrawSpectrum(cairo_t* cr, const PlotData& data, const Box& box) {
  const double nyquist = data.request.format.rate / 2.0;
  const Scale x{kLowestFrequency, nyquist, box.left, box.Right(), true};
  const double loudest = *std::max_element(data.spectrumDb.begin(), data.spectrumDb.end());
  const bool silent = loudest <= kSilenceDb;
  const double top = silent ? 0 : std::min(10.0, std::ceil((loudest + 5) / 20) * 20);
  const Scale y{top - kSpectrumRange, top, box.Bottom(), box.top};
  FrequencyGrid(cr, box, x);
  LevelGrid(cr, box, y, 20, "");
  if (silent)
    Text(cr, "silence: no level to draw", box.left + box.width / 2, box.top + box.height / 2,
         Anchor::kCentre);
  std::vector<double> xs, ys;
  for (std::size_t k = 1; k < data.spectrumDb.size(); ++k) {
    const double hz = data.binHz * static_cast<double>(k);
    if (hz < kLowestFrequency) continue;
    xs.push_back(x.At(hz));
    ys.push_back(y.At(std::max(data.spectrumDb[k], y.low - 10)));
  }
  Curve(cr, xs, ys, kSpectrum, box);
  Frame(cr, box, "frequency (Hz)", "dBFS");
}

void DrawResponse(cairo_t* cr, const PlotData& data, const Box& box) {
  const Scale x{data.request.low, data.request.high, box.left, box.Right(), true};
  const Scale y{-kResponseRange, kResponseRange, box.Bottom(), box.top};
  FrequencyGrid(cr, box, x);
  LevelGrid(cr, box, y, 0.5, "");
  std::vector<double> xs, ys;
  for (std::size_t i = 0; i < data.responseHz.size(); ++i) {
    xs.push_back(x.At(data.responseHz[i]));
    ys.push_back(y.At(data.responseDb[i]));
  }
  Curve(cr, xs, ys, kResponse, box);
  Frame(cr, box, "frequency (Hz): the sweep through its inverse filter, over its flat band", "dB");
}

cairo_status_t AppendBytes(void* closure, const unsigned char* bytes, unsigned int length) {
  auto* png = static_cast<std::vector<std::uint8_t>*>(closure);
  png->insert(png->end(), bytes, bytes + length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::vector<std::uint8_t> DrawPlot(const PlotData& data) {
  const std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, kPlotWidth, kPlotHeight),
      cairo_surface_destroy);
  const Context context(cairo_create(surface.get()), cairo_destroy);
  cairo_t* cr = context.get();
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  Text(cr, data.request.title, kLeft, 30, Anchor::kLeft, kTitleSize);
  const bool response = !data.responseDb.empty();
  const int panels = response ? 3 : 2;
  const double height = (kPlotHeight - kTop - kBottom - panels * kGap) / panels;
  const double width = kPlotWidth - kLeft - kRight;
  for (int i = 0; i < panels; ++i) {
    const Box box{kLeft, kTop + i * (height + kGap), width, height};
    if (i == 0) DrawWaveform(cr, data, box);
    if (i == 1) DrawSpectrum(cr, data, box);
    if (i == 2) DrawResponse(cr, data, box);
  }
  std::vector<std::uint8_t> png;
  cairo_surface_flush(surface.get());
  if (cairo_surface_write_to_png_stream(surface.get(), AppendBytes, &png) != CAIRO_STATUS_SUCCESS)
    png.clear();
  return png;
}
