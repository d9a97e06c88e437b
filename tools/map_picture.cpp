#include "tools/map_picture.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace gs {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr unsigned kWhite = 0xFFFFFF;
constexpr unsigned kInk = 0x202020;        // frame, ticks and text
constexpr unsigned kNotHolding = 0x9A9A9A; // shaded panel: does not hold / no friction suffices
constexpr double kFontSize = 13.0;         // tick labels and legend (pixels)
constexpr double kTitleSize = 15.0;
constexpr double kCaptionSize = 14.0; // the line naming the fixed quantities
constexpr double kTickLength = 5.0;
constexpr int kMaxTicks = 10;                      // never more ticks than this on an axis
constexpr double kRoundSteps[3] = {1.0, 2.0, 5.0}; // tick steps within a power of ten
constexpr int kStepTries = 12;          // round steps tried, finest first: four powers of ten
constexpr double kTickLabelGap = 8.0;   // least space between tick labels (pixels)
constexpr int kMaxFixedDigits = 10;     // longer tick labels are written with an exponent
constexpr int kCaptionTop = 8;          // top of the line naming the fixed quantities
constexpr int kModelTop = 30;           // top of the line naming the exact check's model
constexpr double kShadeQuantile = 0.98; // share of the finite values under the colour bar's top
constexpr int kBarTicks = 4;            // steps between the colour bar's labelled ticks
constexpr int kLegendTop = kMapPlotTop + kMapPlotSize + 68; // first legend row (baseline area)
constexpr int kLegendRow = 22;                              // legend row spacing
constexpr int kLegendColumn = 240;                          // legend column spacing
constexpr int kSwatch = 14;                                 // legend swatch side
constexpr int kBarLeftGap = 18;                             // margin panel: plot edge to colour bar
constexpr int kBarWidth = 16;

// Okabe-Ito colours, and a neutral grey where no statics ran.
constexpr unsigned kOutcomeRgb[kOutcomeCount] = {
    0xE0E0E0, // fewer than two contacts
    0x009E73, // both hold: bluish green
    0xF0E442, // only the exact check holds: yellow
    0x0072B2, // neither holds: blue
    0xD55E00, // only the case solvers hold: vermillion
    0x000000, // palm inside the work: black
    0xCC79A7, // stable, exact check undecided: reddish purple
    0xEBC6DC, // unstable, exact check undecided: the same, light
};

constexpr const char *kOutcomeLabel[kOutcomeCount] = {
    "fewer than two contacts",   // no statics
    "both hold",                 // stable, exact holds
    "only exact check holds",    // unstable, exact holds
    "neither holds",             // unstable, exact cannot hold
    "only case solvers hold",    // stable, exact cannot hold
    "palm inside work",          // no force analysis
    "stable, exact undecided",   // the solvers' verdict alone
    "unstable, exact undecided", // the solvers' verdict alone
};

// Anchors of the margin ramp (viridis), evenly spaced over 0..1.
constexpr unsigned kRamp[] = {0x440154, 0x3B528B, 0x21918C, 0x5EC962, 0xFDE725};
constexpr int kRampSteps = sizeof kRamp / sizeof kRamp[0] - 1;

void SetColour(cairo_t *cr, unsigned rgb) {
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                       (rgb & 0xFF) / 255.0);
}

// Pixel coordinate of value v along an axis of the plot area starting at
// edge; downwards for the vertical axis.
double AxisPixel(const MapAxis *axis, double v, double edge, int vertical) {
  const double cells = static_cast<double>(axis->count);
  const double at = ((v - axis->from) / (axis->to - axis->from) * (cells - 1.0) + 0.5) / cells;
  return vertical != 0 ? edge + kMapPlotSize * (1.0 - at) : edge + kMapPlotSize * at;
}

// Draws text with its reference point placed by the fractions ax, ay of its
// extent (0, 0: left baseline; 0.5, 0.5: centred; 1: right).
void Text(cairo_t *cr, const char *text, double x, double y, double ax, double ay) {
  cairo_text_extents_t e;
  cairo_text_extents(cr, text, &e);
  cairo_move_to(cr, x - e.x_bearing - ax * e.width, y - e.y_bearing - ay * e.height);
  cairo_show_text(cr, text);
}

// What each swept quantity is, in words ("x" alone reads as the axis).
constexpr const char *kMeaning[kMapParamCount] = {
    "hand angle about X", "hand angle about Y", "work centre",          "work centre",
    "work centre",        "work radius",        "friction coefficient", "friction-moment radius",
    "normal-force cap"};

// The second panel by MapShow: title, what its colour bar means, and the
// label of the grey of a point with no value of its own.
constexpr const char *kShowTitle[kMapShowCount] = {"Exact margin where the work holds",
                                                   "Capacity: largest load factor held",
                                                   "Friction coefficient needed to hold the load",
                                                   "Epsilon: least wrench the grasp cannot resist"};
constexpr const char *kShowMeaning[kMapShowCount] = {
    "margin = 1 - least friction scale that still holds",
    "capacity = largest multiple of the load held; holds where >= 1 (bar mark)",
    "muNeeded = least mu that holds the load; holds where <= mu (bar mark)",
    "epsilon = radius of the largest wrench ball held, each force up to the cap"};
constexpr const char *kShowNone[kMapShowCount] = {"exact check does not hold", "",
                                                  "no friction coefficient suffices", ""};

// Label of an axis: what the quantity is, its name and its unit, e.g.
// "hand angle about X, alHand (degrees)" or "work centre, x (model length units)".
std::string AxisLabel(const MapRequest *req, const MapAxis *axis) {
  const int p = axis->param;
  const int angle = (p == kMapAlHand || p == kMapBetHand) ? 1 : 0;
  return std::string(kMeaning[p]) + ", " + MapParamName(p) +
         (p == kMapMu         ? ""
          : p == kMapCap      ? " (force units)"
          : angle == 0        ? " (model length units)"
          : req->degrees != 0 ? " (degrees)"
                              : " (radians)");
}

std::string ShortNumber(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.12g", v);
  return text;
}

// The exact check's model as a sentence, e.g. "Exact check: soft contacts,
// mu = 0.5, rm = 10, cap = 10, load FEX = (0, 0, 1), MEX = (0, 0, 0)"; a
// swept quantity is named with its axis.
std::string ModelCaption(const MapRequest *req) {
  const ExactModel &m = req->model;
  const double v[3] = {m.mu, m.rm, m.cap};
  std::string text = std::string("Exact check: ") + ContactLawName(m.law) + " contacts";
  for (int p = kMapMu; p <= kMapCap; p++) {
    text += std::string(", ") + MapParamName(p);
    text += (p == req->x.param)   ? " along x"
            : (p == req->y.param) ? " along y"
                                  : " = " + ShortNumber(v[p - kMapMu]);
  }
  for (const double *w : {m.FEX, m.MEX}) {
    text += (w == m.FEX) ? ", load FEX = (" : ", MEX = (";
    for (int i = 0; i < 3; i++) text += ShortNumber(w[i]) + (i < 2 ? ", " : ")");
  }
  return text;
}

// The quantities held fixed as a sentence, e.g. "Held fixed: work centre
// x = 0, y = 80, z = 0; work radius aSph = 50 (model length units)".
std::string FixedCaption(const MapRequest *req) {
  const double v[kMapMu] = {req->hand[0], req->hand[1], req->work[0],
                            req->work[1], req->work[2], req->radius};
  std::string text = "Held fixed:";
  const char *said = nullptr;        // meaning of the previous quantity
  int length = 0;                    // a length is among them
  for (int p = 0; p < kMapMu; p++) { // the model's quantities have a line of their own
    if (p == req->x.param || p == req->y.param) continue;
    char value[32];
    std::snprintf(value, sizeof value, "%.12g", v[p]);
    if (said != nullptr && std::strcmp(said, kMeaning[p]) == 0) {
      text += ",";
    } else {
      text += (said != nullptr) ? "; " : " ";
      text += kMeaning[p];
    }
    said = kMeaning[p];
    text += std::string(" ") + MapParamName(p) + " = " + value;
    if (p == kMapAlHand || p == kMapBetHand)
      text += (req->degrees != 0) ? "\u00B0" : " rad";
    else
      length = 1;
  }
  if (length != 0) text += " (model length units)";
  return text;
}

// Label of tick value v, a multiple of step (1, 2 or 5 times 10^exponent) on
// an axis whose values reach size in magnitude: fixed-point with the
// decimals the step needs, or with an exponent when that would be long.
std::string TickLabel(double v, double size, int exponent) {
  if (v == 0.0) return "0";
  const int decimals = (exponent < 0) ? -exponent : 0;
  const int whole = (size >= 1.0) ? static_cast<int>(std::floor(std::log10(size))) + 1 : 1;
  char text[48];
  if (whole + decimals <= kMaxFixedDigits) {
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
  } else {
    const int digits = static_cast<int>(std::floor(std::log10(std::fabs(v)))) - exponent;
    std::snprintf(text, sizeof text, "%.*e", digits > 0 ? digits : 0, v);
  }
  return text;
}

// Ticks of an axis and their labels.
struct Ticks {
  std::vector<double> values;
  std::vector<std::string> labels;
  double widest = 0.0; // widest label (pixels)
};

// Ticks at a round step, 1, 2 or 5 times a power of ten: the finest step
// that gives at most kMaxTicks ticks, whose labels keep apart by
// kTickLabelGap. Counted in whole steps from the first tick, so the loops are
// bounded whatever the axis spans (its span is finite and not below
// kMapMinAxisSpan of its size).
Ticks ChooseTicks(cairo_t *cr, const MapAxis *axis, int vertical) {
  const double lo = std::fmin(axis->from, axis->to);
  const double hi = std::fmax(axis->from, axis->to);
  const double size = std::fmax(std::fabs(lo), std::fabs(hi));
  const double pixelsPerUnit =
      kMapPlotSize * (1.0 - 1.0 / static_cast<double>(axis->count)) / (hi - lo);
  cairo_font_extents_t font;
  cairo_font_extents(cr, &font);
  int exponent = static_cast<int>(std::floor(std::log10((hi - lo) / kMaxTicks)));
  Ticks t;
  for (int tries = 0; tries < kStepTries; tries++) {
    const double step = kRoundSteps[tries % 3] * std::pow(10.0, exponent + tries / 3);
    const double first = std::ceil(lo / step - 1e-9);
    const double count = std::floor(hi / step + 1e-9) - first + 1.0;
    if (count > kMaxTicks) continue;
    t = Ticks{};
    for (int n = 0; n < static_cast<int>(count); n++) {
      const double v = (first + n) * step;
      t.values.push_back(v);
      t.labels.push_back(TickLabel(v, size, exponent + tries / 3));
      cairo_text_extents_t e;
      cairo_text_extents(cr, t.labels.back().c_str(), &e);
      t.widest = std::fmax(t.widest, e.width);
    }
    const double room = (vertical != 0) ? font.height : t.widest;
    if (step * pixelsPerUnit >= room + kTickLabelGap) return t;
  }
  return t; // the coarsest step tried
}

// Draws the ticks, their labels and the name of an axis.
void DrawAxis(cairo_t *cr, const MapRequest *req, const MapAxis *axis, int left, int vertical) {
  const double bottom = kMapPlotTop + kMapPlotSize;
  cairo_set_font_size(cr, kFontSize);
  SetColour(cr, kInk);
  const Ticks ticks = ChooseTicks(cr, axis, vertical);
  for (std::size_t n = 0; n < ticks.values.size(); n++) {
    const char *text = ticks.labels[n].c_str();
    if (vertical != 0) {
      const double y = AxisPixel(axis, ticks.values[n], kMapPlotTop, 1);
      cairo_move_to(cr, left, y);
      cairo_line_to(cr, left - kTickLength, y);
      cairo_stroke(cr);
      Text(cr, text, left - kTickLength - 3.0, y, 1.0, 0.5);
    } else {
      const double x = AxisPixel(axis, ticks.values[n], left, 0);
      cairo_move_to(cr, x, bottom);
      cairo_line_to(cr, x, bottom + kTickLength);
      cairo_stroke(cr);
      Text(cr, text, x, bottom + kTickLength + 4.0, 0.5, 0.0);
    }
  }
  const std::string label = AxisLabel(req, axis);
  if (vertical != 0) {
    // beside the widest tick label, but inside the picture
    const double x = std::fmax(left - kTickLength - 3.0 - ticks.widest - kTickLabelGap, kFontSize);
    cairo_save(cr);
    cairo_translate(cr, x, kMapPlotTop + kMapPlotSize / 2.0);
    cairo_rotate(cr, -kPi / 2.0);
    Text(cr, label.c_str(), 0.0, 0.0, 0.5, 1.0);
    cairo_restore(cr);
  } else {
    Text(cr, label.c_str(), left + kMapPlotSize / 2.0, bottom + 30.0, 0.5, 0.0);
  }
}

// Colour of a point in the second panel. The margin: its ramp where the
// exact check holds, mid grey where it cannot hold; no contact, an undecided
// check and the palm inside the work keep the first panel's colours (one for
// both undecided classes: this panel shows the exact check alone). The
// capacity and the friction needed: the ramp up to top where there is a
// value, grey where no friction coefficient suffices, the undecided colour
// where the measure is undecided.
unsigned ShadedPanelRgb(int show, int outcome, float value, double top) {
  if (show != kShowMargin) {
    if (outcome == kOutcomeNoContact || outcome == kOutcomePalmInside) return kOutcomeRgb[outcome];
    if (std::isfinite(value)) return MapMarginRgb(value / top);
    return std::isinf(value) ? kNotHolding : kOutcomeRgb[kOutcomeStableOpen];
  }
  const float margin = value;
  switch (outcome) {
  case kOutcomeNoContact:
  case kOutcomePalmInside:
  case kOutcomeStableOpen:
    return kOutcomeRgb[outcome];
  case kOutcomeUnstableOpen:
    return kOutcomeRgb[kOutcomeStableOpen];
  default:
    return std::isnan(margin) ? kNotHolding : MapMarginRgb(margin);
  }
}

// The map image of one panel, at most one pixel per point: each pixel shows
// the point nearest its centre.
cairo_surface_t *PanelImage(const MapRequest *req, const unsigned char *outcome, const float *shown,
                            double top, int panel) {
  const long nx = req->x.count;
  const long ny = req->y.count;
  const int iw = static_cast<int>(nx < kMapPlotSize ? nx : kMapPlotSize);
  const int ih = static_cast<int>(ny < kMapPlotSize ? ny : kMapPlotSize);
  cairo_surface_t *img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, iw, ih);
  if (cairo_surface_status(img) != CAIRO_STATUS_SUCCESS) return img;
  cairo_surface_flush(img);
  unsigned char *data = cairo_image_surface_get_data(img);
  const int stride = cairo_image_surface_get_stride(img);
  for (int v = 0; v < ih; v++) {
    const long j = ny - 1 - static_cast<long>((v + 0.5) * static_cast<double>(ny) / ih);
    auto *row = reinterpret_cast<std::uint32_t *>(data + static_cast<std::ptrdiff_t>(v) * stride);
    for (int u = 0; u < iw; u++) {
      const long i = static_cast<long>((u + 0.5) * static_cast<double>(nx) / iw);
      const long p = j * nx + i;
      row[u] = (panel == 0) ? MapOutcomeRgb(outcome[p])
                            : ShadedPanelRgb(req->show, outcome[p], shown[p], top);
    }
  }
  cairo_surface_mark_dirty(img);
  return img;
}

// One panel: the map, its frame, axes and title.
int DrawPanel(cairo_t *cr, const MapRequest *req, const unsigned char *outcome, const float *shown,
              double top, int panel, const char *title) {
  const int left = kMapPlotLeft[panel];
  cairo_surface_t *img = PanelImage(req, outcome, shown, top, panel);
  if (cairo_surface_status(img) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(img);
    return 0;
  }
  cairo_save(cr);
  cairo_translate(cr, left, kMapPlotTop);
  cairo_scale(cr, static_cast<double>(kMapPlotSize) / cairo_image_surface_get_width(img),
              static_cast<double>(kMapPlotSize) / cairo_image_surface_get_height(img));
  cairo_set_source_surface(cr, img, 0.0, 0.0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(img);

  SetColour(cr, kInk);
  cairo_set_line_width(cr, 1.0);
  cairo_rectangle(cr, left - 0.5, kMapPlotTop - 0.5, kMapPlotSize + 1.0, kMapPlotSize + 1.0);
  cairo_stroke(cr);
  DrawAxis(cr, req, &req->x, left, 0);
  DrawAxis(cr, req, &req->y, left, 1);
  cairo_set_font_size(cr, kTitleSize);
  cairo_move_to(cr, left, kMapPlotTop - 16.0); // on one baseline, descenders or not
  cairo_show_text(cr, title);
  return 1;
}

void Swatch(cairo_t *cr, unsigned rgb, const char *label, double x, double y) {
  SetColour(cr, rgb);
  cairo_rectangle(cr, x, y, kSwatch, kSwatch);
  cairo_fill_preserve(cr);
  SetColour(cr, kInk);
  cairo_stroke(cr);
  Text(cr, label, x + kSwatch + 6.0, y + kSwatch / 2.0, 0.0, 0.5);
}

// Label of colour bar tick v; the top one says when values lie above it.
std::string BarLabel(double v, int top, int clipped) {
  return (top != 0 && clipped != 0 ? "\u2265" : "") + ShortNumber(v);
}

void DrawLegends(cairo_t *cr, const MapRequest *req, double top, int clipped) {
  const int show = req->show;
  cairo_set_font_size(cr, kFontSize);
  cairo_set_line_width(cr, 1.0);
  // outcome panel: the classes in two columns
  for (int c = 0; c < kOutcomeCount; c++)
    Swatch(cr, kOutcomeRgb[c], kOutcomeLabel[c], kMapPlotLeft[0] + (c % 2) * kLegendColumn,
           kLegendTop + (c / 2) * kLegendRow);
  // margin panel: the colour bar beside the plot and the greys below it
  const double barLeft = kMapPlotLeft[1] + kMapPlotSize + kBarLeftGap;
  for (int y = 0; y < kMapPlotSize; y++) {
    SetColour(cr, MapMarginRgb(1.0 - (y + 0.5) / kMapPlotSize));
    cairo_rectangle(cr, barLeft, kMapPlotTop + y, kBarWidth, 1.0);
    cairo_fill(cr);
  }
  SetColour(cr, kInk);
  cairo_rectangle(cr, barLeft - 0.5, kMapPlotTop - 0.5, kBarWidth + 1.0, kMapPlotSize + 1.0);
  cairo_stroke(cr);
  for (int k = 0; k <= kBarTicks; k++) {
    const double y = kMapPlotTop + kMapPlotSize * (1.0 - static_cast<double>(k) / kBarTicks);
    cairo_move_to(cr, barLeft + kBarWidth, y);
    cairo_line_to(cr, barLeft + kBarWidth + kTickLength, y);
    cairo_stroke(cr);
    const std::string label = BarLabel(top * k / kBarTicks, k == kBarTicks, clipped);
    Text(cr, label.c_str(), barLeft + kBarWidth + kTickLength + 3.0, y, 0.0, 0.5);
  }
  // where the work starts to hold: capacity 1, friction needed mu (when fixed)
  const int muSwept = req->x.param == kMapMu || req->y.param == kMapMu;
  const double holds = show == kShowCapacity                 ? 1.0
                       : (show == kShowMuNeeded && !muSwept) ? req->model.mu
                                                             : NAN;
  if (std::isfinite(holds) && holds <= top) {
    const double y = kMapPlotTop + kMapPlotSize * (1.0 - holds / top);
    cairo_move_to(cr, barLeft - kTickLength, y);
    cairo_line_to(cr, barLeft + kBarWidth, y);
    cairo_stroke(cr);
  }
  const double second = kMapPlotLeft[1] + kLegendColumn;
  Swatch(cr, kOutcomeRgb[kOutcomeNoContact], kOutcomeLabel[kOutcomeNoContact], kMapPlotLeft[1],
         kLegendTop);
  if (kShowNone[show][0] != '\0') Swatch(cr, kNotHolding, kShowNone[show], second, kLegendTop);
  Swatch(cr, kOutcomeRgb[kOutcomeStableOpen], "exact check undecided", kMapPlotLeft[1],
         kLegendTop + kLegendRow);
  Swatch(cr, kOutcomeRgb[kOutcomePalmInside], kOutcomeLabel[kOutcomePalmInside], second,
         kLegendTop + kLegendRow);
  Text(cr, kShowMeaning[show], kMapPlotLeft[1], kLegendTop + 2 * kLegendRow + kSwatch / 2.0, 0.0,
       0.5);
}

// Least of 1, 2 or 5 times a power of ten at or above v (> 0).
double RoundUp(double v) {
  const double power = std::pow(10.0, std::floor(std::log10(v)));
  for (const double step : kRoundSteps)
    if (step * power >= v) return step * power;
  return 10.0 * power;
}

// Where cairo's encoder writes, and why writing failed.
struct Sink {
  std::FILE *file;
  int writeErrno;
  std::string *held = nullptr; // when set, the text is kept here instead, to be marked up
};

cairo_status_t WriteToFile(void *closure, const unsigned char *data, unsigned int length) {
  auto *sink = static_cast<Sink *>(closure);
  if (sink->held != nullptr) {
    sink->held->append(reinterpret_cast<const char *>(data), length);
    return CAIRO_STATUS_SUCCESS;
  }
  if (std::fwrite(data, 1, length, sink->file) == length) return CAIRO_STATUS_SUCCESS;
  sink->writeErrno = errno;
  return CAIRO_STATUS_WRITE_ERROR;
}

// The hint that keeps a map's cells square where a viewer scales its pixels:
// SVG 1.1's value, and the CSS one over it where the viewer knows it.
constexpr const char *kPixelatedHint =
    " image-rendering=\"optimizeSpeed\" style=\"image-rendering:pixelated\"";

// Marks every embedded image of the SVG text svg that has no rendering hint
// or style of its own to be drawn pixelated, not blurred between its pixels
// (cairo's SVG writes none for its nearest filter). Returns the number of
// images marked.
int MarkImagesPixelated(std::string *svg) {
  int marked = 0;
  const std::string tag = "<image ";
  for (std::size_t at = svg->find(tag); at != std::string::npos; at = svg->find(tag, at + 1)) {
    const std::size_t end = svg->find('>', at);
    if (end == std::string::npos) break;
    const std::string_view attributes(svg->data() + at, end - at);
    if (attributes.find("image-rendering") != std::string::npos ||
        attributes.find(" style=") != std::string::npos)
      continue;
    svg->insert(at + tag.size() - 1, kPixelatedHint);
    marked++;
  }
  return marked;
}

} // namespace

unsigned MapOutcomeRgb(int outcome) {
  return (outcome >= 0 && outcome < kOutcomeCount) ? kOutcomeRgb[outcome] : kWhite;
}

unsigned MapMarginRgb(double margin) {
  const double t = std::fmin(std::fmax(margin, 0.0), 1.0) * kRampSteps;
  const int k = (t >= kRampSteps) ? kRampSteps - 1 : static_cast<int>(t);
  const double f = t - k;
  unsigned rgb = 0;
  for (int shift = 16; shift >= 0; shift -= 8) {
    const double a = (kRamp[k] >> shift) & 0xFF;
    const double b = (kRamp[k + 1] >> shift) & 0xFF;
    rgb |= static_cast<unsigned>(std::lround(a + (b - a) * f)) << shift;
  }
  return rgb;
}

void MapCellCentre(const MapRequest *req, int panel, long i, long j, double *px, double *py) {
  *px = AxisPixel(&req->x, MapAxisValue(&req->x, i), kMapPlotLeft[panel], 0);
  *py = AxisPixel(&req->y, MapAxisValue(&req->y, j), kMapPlotTop, 1);
}

const char *MapPictureExtension(int format) {
  return format == kMapSvg ? "svg" : format == kMapPdf ? "pdf" : "png";
}

double MapShadeTop(const MapRequest *req, const float *shown, int *clipped) {
  *clipped = 0;
  if (req->show == kShowMargin) return 1.0;
  std::vector<float> values;
  const long total = MapPointCount(req);
  for (long p = 0; p < total; p++)
    if (std::isfinite(shown[p])) values.push_back(shown[p]);
  double top = (req->show == kShowCapacity) ? 1.0 : 0.0;
  if (req->show == kShowMuNeeded && req->x.param != kMapMu && req->y.param != kMapMu)
    top = req->model.mu;
  if (!values.empty()) {
    const std::size_t k = static_cast<std::size_t>(kShadeQuantile * (values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(k), values.end());
    top = std::fmax(top, values[k]);
  }
  top = (top > 0.0 && std::isfinite(top)) ? RoundUp(top) : 1.0;
  for (const float v : values)
    if (v > top) *clipped = 1;
  return top;
}

int WriteMapPicture(const MapRequest *req, const unsigned char *outcome, const float *shown,
                    int format, std::FILE *out, const std::string &name, std::string *error) {
  std::string svg;
  Sink sink{out, 0, format == kMapSvg ? &svg : nullptr};
  // the vector formats write as they draw; PNG encodes the finished image
  cairo_surface_t *surface =
      format == kMapSvg ? cairo_svg_surface_create_for_stream(&WriteToFile, &sink, kMapPictureWidth,
                                                              kMapPictureHeight)
      : format == kMapPdf
          ? cairo_pdf_surface_create_for_stream(&WriteToFile, &sink, kMapPictureWidth,
                                                kMapPictureHeight)
          : cairo_image_surface_create(CAIRO_FORMAT_RGB24, kMapPictureWidth, kMapPictureHeight);
  cairo_t *cr = cairo_create(surface);
  SetColour(cr, kWhite);
  cairo_paint(cr);
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  int clipped = 0;
  const double top = MapShadeTop(req, shown, &clipped);
  // the case solvers keep their own fixed model whatever the exact check's
  const char *outcomeTitle = MapModelDiffers(req) != 0
                                 ? "Case solvers (on their own fixed model) and exact check"
                                 : "Case solvers and exact check";
  int ok = DrawPanel(cr, req, outcome, shown, top, 0, outcomeTitle);
  ok = ok && DrawPanel(cr, req, outcome, shown, top, 1, kShowTitle[req->show]);
  if (ok) {
    DrawLegends(cr, req, top, clipped);
    cairo_set_font_size(cr, kCaptionSize);
    Text(cr, FixedCaption(req).c_str(), kMapPlotLeft[0], kCaptionTop, 0.0, 0.0);
    Text(cr, ModelCaption(req).c_str(), kMapPlotLeft[0], kModelTop, 0.0, 0.0);
  }
  const cairo_status_t drawn = cairo_status(cr);
  cairo_destroy(cr);
  cairo_status_t written = CAIRO_STATUS_SUCCESS;
  if (format != kMapPng) {
    cairo_surface_finish(surface);
    written = cairo_surface_status(surface);
    if (format == kMapSvg && written == CAIRO_STATUS_SUCCESS) {
      MarkImagesPixelated(&svg);
      sink.held = nullptr;
      written = WriteToFile(&sink, reinterpret_cast<const unsigned char *>(svg.data()),
                            static_cast<unsigned>(svg.size()));
    }
  } else if (ok && drawn == CAIRO_STATUS_SUCCESS) {
    written = cairo_surface_write_to_png_stream(surface, &WriteToFile, &sink);
  }
  cairo_surface_destroy(surface);
  // give back cairo's and fontconfig's font caches: one picture per
  // process, nothing worth keeping
  cairo_debug_reset_static_data();
  FcFini();
  if (!ok || drawn != CAIRO_STATUS_SUCCESS) {
    *error = std::string("cannot draw the picture: ") +
             cairo_status_to_string(ok ? drawn : CAIRO_STATUS_NO_MEMORY);
    return 0;
  }
  if (written != CAIRO_STATUS_SUCCESS) {
    *error =
        "cannot write " + name + ": " +
        (sink.writeErrno != 0 ? std::strerror(sink.writeErrno) : cairo_status_to_string(written));
    return 0;
  }
  return 1;
}

} // namespace gs
