// Fixed parameters of the hand, the work and the statics, each with its unit.
// Lengths are in model units (a finger link is 100 long); angles in radians
// unless the name says degrees.
#pragma once

namespace gs {

// ---- hand and finger geometry (model length units) ----
constexpr double lFin = 100.0;                 // finger link length, joint to fingertip centre
constexpr double aF = 10.0;                    // fingertip sphere radius = link rod radius
constexpr double wHand = 100.0;                // palm size along hand X; joint spacing along hand Z
constexpr double tHand = 20.0;                 // palm thickness along hand Y
constexpr double dHand = 100.0;                // palm size along hand Z
constexpr double rPalmA[3] = {0.0, 10.0, 0.0}; // palm face centre, hand frame

// ---- statics parameters ----
constexpr double FEX[3] = {0.0, 0.0, 1.0}; // required total force on the work (force units)
constexpr double mu = 0.5;                 // Coulomb friction coefficient (dimensionless)
constexpr double rm = 10.0;                // friction-moment radius (length): |MCZ| <= mu*rm*FCZ

// ---- tolerances ----
constexpr double EPS4 = 1e-4; // length / component tolerance of the statics cases
constexpr double EPS5 = 1e-5; // tolerance on normalised plane normals (dimensionless)

// ---- constant vectors and matrices ----
constexpr double eX[3] = {1.0, 0.0, 0.0};
constexpr double eY[3] = {0.0, 1.0, 0.0};
constexpr double eZ[3] = {0.0, 0.0, 1.0};
constexpr double zeroVec[3] = {0.0, 0.0, 0.0};
constexpr double E3[3][3] = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}};

// ---- angles (radians), written with the decimals the tool has always used ----
constexpr double kHandStep = 0.15707963278;     // one hand-pose key press (9 degrees)
constexpr double kHandUpright = 1.5707963278;   // keys u/d: palm normal to +Z / -Z
constexpr double kPiWrap = 3.1415926535898;     // pi as used for root wrapping
constexpr double kTwoPiWrap = 6.2831853071796;  // 2 pi as used for root wrapping
constexpr double kFullTurn = 6.2831853072;      // full turn; also "no fingertip root" marker
constexpr double kTipRootFloor = -1.5707963278; // below this the larger tip root is taken
constexpr double kRadToDeg = 57.2957795;        // banner text conversion (deg per rad)

// ---- start-up values ----
constexpr double kStartRadius = 50.0;                    // work radius at start-up
constexpr double kInitialRadius = 100.0;                 // radius before start-up runs
constexpr double kStartWorkCentre[3] = {0.0, 80.0, 0.0}; // work centre at start-up
constexpr double kStartViewRot[3] = {4.0, -18.0, 5.0};   // view rotations (degrees)
constexpr double kStartViewTrans[3] = {0.0, 0.0, -0.5};  // view translation (scene units)

// ---- key steps ----
constexpr double kViewRotStep = 1.0;   // degrees per view rotation key
constexpr double kViewTransStep = 0.1; // scene units per view translation key
constexpr double kWorkStep = 1.0;      // model units per work key (radius and centre)

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
constexpr float kAxisColour[4] = {0.0f, 0.0f, 0.0f, 0.0f}; // scene axes

// ---- hand drawing (model length units) ----
constexpr double aJnt = 10.0;              // joint drum radius
constexpr double wJnt = 30.0;              // joint drum length along the joint axis
constexpr double kPalmMarkerRadius = 5.0;  // palm reference point marker
constexpr double kJointArrowLength = 15.0; // joint-axis arrow
constexpr int kOutlineLines = 12;          // lines around each link outline
constexpr double kOutlineWidth = 0.01;     // outline DrawLine width argument (1 pixel)

// ---- work, contact and force drawing ----
constexpr double kAxisLength = 10.0;          // scene axes (scene units)
constexpr double kAxisLineWidth = 2.0;        // scene axes (pixels)
constexpr int kGlobeMeridians = 6;            // great circles through the poles
constexpr int kGlobeParallels = 5;            // circles of latitude
constexpr double kGlobeHalfPi = 1.5707963278; // quarter turn of the parallels (rad)
constexpr double kContactMarkerRadius = 2.5;  // contact point sphere
constexpr double kContactArrowLength = 40.0;  // work normal arrow at a contact
constexpr double kForceLengthFactor = 50.0;   // arrow length = 50 sqrt(force)
constexpr double kPushHeadLength = 10.0;      // push arrow head length
constexpr double kPushHeadRadius = 5.0;       // push arrow head radius
constexpr double kPushLineWidth = 0.1;        // push arrow shaft DrawLine width (10 pixels)
constexpr double kPullGap = 5.0;              // pull arrow shaft ends this far before the point
constexpr double kPullHeadBack = 8.0;         // pull head base this far before the point
constexpr double kPullHeadAhead = 2.0;        // pull head apex this far beyond the point
constexpr double kPullHeadRadius = 6.0;       // pull arrow head radius
constexpr double kPullLineWidth = 0.1;        // pull arrow shaft DrawLine width (10 pixels)
constexpr double kMomentOffset = 15.0;        // moment arc centre behind the contact
constexpr double kMomentRadiusFactor = 10.0;  // arc radius = 10 sqrt(|m|)
constexpr double kMomentArc = 4.7123889804;   // arc of a moment symbol (rad, 270 degrees)
constexpr double kMomentWidth = 5.0;          // moment arc line width (pixels) and head radius
constexpr double kMomentThreshold = 0.1;      // |MCZ| below this draws no moment symbol

// ---- grasp statics searches ----
// Normal and grasp forces stay within 10 FEX[z]; the horizontal case also caps
// its friction moments at 10 mu rm FEX[z] (dimensionless factor).
constexpr double kForceCapFactor = 10.0;
constexpr int kNormTurnSteps = 20;       // general case: friction-direction steps per turn
constexpr double kTCZStep = 0.1;         // horizontal case: step of TCZ[1] (force units)
constexpr double kGripStep = 0.2;        // horizontal case: step of the grasp force FCZ0 (force)
constexpr double kNormalForceStep = 0.1; // vertical-plane case: step of FCZ[1] (force units)
constexpr double kNormalForceStartDiv = 5.0; // vertical-plane case: FCZ[1] starts at FEX[z] / 5
constexpr double kFrictionReserve = 2.0;     // collinear case: normal force / friction need
constexpr int kMaxStaticsPasses = 100000;    // bound on the passes of every statics search loop

} // namespace gs
