// Sizes, colours and camera of the window and its drawing. Lengths of the
// shapes are in model units unless the name says scene units or pixels.
#pragma once

namespace gs {

// ---- window and camera (scene units: 1 scene unit = 50 model units) ----
constexpr int kWindowWidth = 600;      // initial window width (pixels)
constexpr int kWindowHeight = 600;     // initial window height (pixels)
constexpr double kOverlaySize = 600.0; // text overlay square, whatever the window size (pixels)
constexpr double rEye = 14.0;          // eye distance from the scene Z axis (scene units)
constexpr double thEye = 0.2;          // eye azimuth from +X toward +Y (rad)
constexpr double zEye = 8.0;           // eye height (scene units)
constexpr double kFovYDeg = 30.0;      // vertical field of view (degrees)
constexpr double kAspect = 1.0;        // perspective aspect, fixed (dimensionless)
constexpr double kNearPlane = 1.0;     // near clipping distance (scene units)
constexpr double kFarPlane = 100.0;    // far clipping distance (scene units)
constexpr float lightPos[4] = {4.0f, 0.0f, 4.0f, 0.5f};  // positional light (scene units)
constexpr float lightAmb[4] = {0.5f, 0.5f, 0.5f, 1.0f};  // ambient intensity (RGBA)
constexpr float lightDif[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // diffuse intensity (RGBA)
constexpr float lightSpec[4] = {0.7f, 0.7f, 0.7f, 1.0f}; // specular intensity (RGBA)

// Largest window side drawn (pixels), beyond any monitor's width: a software
// GL driver keeps colour and depth buffers of the window's size; at 16384 x
// 16384 pixels (the viewport limit of Mesa's llvmpipe) they take gigabytes and
// no frame reached the screen of a virtual X server within half a minute.
constexpr int kMaxWindowSide = 8192;

// ---- drawing primitives ----
constexpr double kViewScaleNum = 300.0;   // ViewScale(x) = x * 300 / 15000 (model -> scene units)
constexpr double kViewScaleDen = 15000.0; // (see kViewScaleNum)
constexpr int nDiv = 100;                 // segments of every circle, disc, cylinder, cone, arc
// pi as the drawing steps its closed shapes and spaces the globe meridians (rad)
constexpr double kDrawPi = 3.1415926536;
constexpr double radPerDeg = 0.01745329252; // radians per degree
constexpr double kLineWidthFactor = 100.0;  // DrawLine width argument -> pixels
constexpr double kCircleLineWidth = 2.0;    // circle outlines (pixels)
constexpr double kArrowLineWidth = 0.1;     // DrawArrow shaft width argument (x100: 10 pixels)

// ---- colours (RGBA) ----
constexpr float kBlue[4] = {0.0f, 0.0f, 1.0f, 1.0f};       // palm, links, finger-1 drum
constexpr float kDarkBlue[4] = {0.0f, 0.0f, 0.5f, 0.0f};   // blended links, finger-2 drum
constexpr float kYellow[4] = {1.0f, 1.0f, 0.0f, 1.0f};     // palm marker, contact markers
constexpr float kBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};      // outlines, joint arrows, globe
constexpr float kGreen[4] = {0.0f, 1.0f, 0.0f, 1.0f};      // statics forces and moments
constexpr float kRedClear[4] = {1.0f, 0.0f, 0.0f, 0.0f};   // work sphere
constexpr float kMagenta[4] = {1.0f, 0.0f, 1.0f, 1.0f};    // exact check's forces (F2)
constexpr float kAxisColour[4] = {0.0f, 0.0f, 0.0f, 0.0f}; // scene axes

// ---- light backing under the program's own text (overlay pixels at 600 x 600) ----
constexpr float kBacking[4] = {1.0f, 1.0f, 0.8f, 1.0f}; // pale yellow (RGBA)
constexpr float kBackingPad = 3.0f;                     // beyond the text's left and right ends
constexpr float kBackingAscent18 = 15.0f;               // above the baseline, Helvetica 18
constexpr float kBackingDescent18 = 5.0f;               // below the baseline, Helvetica 18
constexpr float kBackingAscent12 = 11.0f;               // above the baseline, Helvetica 12
constexpr float kBackingDescent12 = 4.0f;               // below the baseline, Helvetica 12

// ---- hand drawing (model length units) ----
constexpr double aJnt = 10.0;              // joint drum radius
constexpr double wJnt = 30.0;              // joint drum length along the joint axis
constexpr double kPalmMarkerRadius = 5.0;  // palm reference point marker
constexpr double kJointArrowLength = 15.0; // joint-axis arrow
constexpr int kOutlineLines = 12;          // lines around each link outline
constexpr double kOutlineWidth = 0.01;     // outline DrawLine width argument (1 pixel)

// ---- work, contact and force drawing ----
constexpr double kAxisLength = 10.0;         // scene axes (scene units)
constexpr double kAxisLineWidth = 2.0;       // scene axes (pixels)
constexpr int kGlobeMeridians = 6;           // great circles through the poles
constexpr int kGlobeParallels = 5;           // circles of latitude
constexpr double kContactMarkerRadius = 2.5; // contact point sphere
constexpr double kContactArrowLength = 40.0; // work normal arrow at a contact
constexpr double kForceLengthFactor = 50.0;  // arrow length = 50 sqrt(force)
constexpr double kPushHeadLength = 10.0;     // push arrow head length
constexpr double kPushHeadRadius = 5.0;      // push arrow head radius
constexpr double kPushLineWidth = 0.1;       // push arrow shaft DrawLine width (10 pixels)
constexpr double kPullGap = 5.0;             // pull arrow shaft ends this far before the point
constexpr double kPullHeadBack = 8.0;        // pull head base this far before the point
constexpr double kPullHeadAhead = 2.0;       // pull head apex this far beyond the point
constexpr double kPullHeadRadius = 6.0;      // pull arrow head radius
constexpr double kPullLineWidth = 0.1;       // pull arrow shaft DrawLine width (10 pixels)
constexpr double kMomentOffset = 15.0;       // moment arc centre behind the contact
constexpr double kMomentRadiusFactor = 10.0; // arc radius = 10 sqrt(|m|)
constexpr double kMomentArc = 4.7123889804;  // arc of a moment symbol (rad, 270 degrees)
constexpr double kMomentWidth = 5.0;         // moment arc line width (pixels) and head radius
constexpr double kMomentThreshold = 0.1;     // |MCZ| below this draws no moment symbol

} // namespace gs
