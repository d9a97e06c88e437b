// The map as a picture: one panel coloured by the outcome of each point
// (the case solvers' verdict against the exact check) and one panel shading
// the exact margin, the capacity or the friction needed, each with axes,
// ticks, labels and a legend, under a caption naming the quantities held
// fixed and the exact check's model; drawn with cairo as PNG, SVG or PDF.
#pragma once

#include <cstdio>
#include <string>

#include "graspstat/map.h"

namespace gs {

constexpr int kMapPictureWidth = 1370; // picture size (pixels)
constexpr int kMapPictureHeight = 752;
constexpr int kMapPlotSize = 512;          // side of each panel's square plot area (pixels)
constexpr int kMapPlotTop = 80;            // top edge of both plot areas
constexpr int kMapPlotLeft[2] = {90, 740}; // left edges: outcome panel, margin panel

// File formats of the picture.
enum MapPictureFormat : int {
  kMapPng = 0, // pixels, kMapPictureWidth x kMapPictureHeight
  kMapSvg,     // vector, the same size in points, the map itself embedded as pixels
  kMapPdf,     // the same as PDF
};

// File name extension of a MapPictureFormat: "png", "svg" or "pdf".
const char *MapPictureExtension(int format);

// Colour of an outcome in the first panel, 0xRRGGBB; picked from a palette
// that readers with a colour-vision deficiency can tell apart.
unsigned MapOutcomeRgb(int outcome);

// Colour of an exact margin in the second panel, 0xRRGGBB: a ramp rising in
// lightness from dark violet (0) through teal to yellow (1); outside 0..1
// the nearer end. A capacity or friction needed is shaded by its fraction
// of the top of its colour bar.
unsigned MapMarginRgb(double margin);

// Centre (pixels) of point (i, j) in the plot area of panel 0 or 1; x grows
// to the right, y upwards from the first value at the bottom.
void MapCellCentre(const MapRequest *req, int panel, long i, long j, double *px, double *py);

// Top of the second panel's colour bar for the values shown[] (MapShownValue
// of each point): 1 for the margin, else a round number (1, 2 or 5 times a
// power of ten) at or above nearly all finite values and the value where the
// work starts to hold (capacity 1, friction needed mu), so a few far values
// do not wash out the rest. *clipped is 1 when some value lies above it.
double MapShadeTop(const MapRequest *req, const float *shown, int *clipped);

// Draws the map of outcome[] and shown[] (MapShownValue of each point) and
// writes it in format (a MapPictureFormat) to out, named name
// in messages. Returns 1, or 0 when drawing or writing failed (then *error
// says why).
int WriteMapPicture(const MapRequest *req, const unsigned char *outcome, const float *shown,
                    int format, std::FILE *out, const std::string &name, std::string *error);

} // namespace gs
