// Fixed parameters of the hand, the work and the statics, each with its unit.
// Lengths are in model units (a finger link is 100 long); angles in radians
// unless the name says degrees. The drawing's sizes, colours and camera
// live in the window's own constants, the solvers' search steps beside the
// solvers.
#pragma once

namespace gs {

// ---- hand and finger geometry (model length units) ----
constexpr double lFin = 100.0;                 // finger link length, joint to fingertip centre
constexpr double aF = 10.0;                    // fingertip sphere radius = link rod radius
constexpr double wHand = 100.0;                // palm size along hand X; joint spacing along hand Z
constexpr double tHand = 20.0;                 // palm thickness along hand Y
constexpr double dHand = 100.0;                // palm size along hand Z
constexpr double rPalmA[3] = {0.0, 10.0, 0.0}; // palm face centre, hand frame

// ---- the case solvers' fixed model (the statics variables FEX, mu, rm) ----
constexpr double kCaseLoad[3] = {0.0, 0.0,
                                 1.0}; // FEX: required total force on the work (force units)
constexpr double kCaseMu = 0.5;        // mu: Coulomb friction coefficient (dimensionless)
constexpr double kCaseRm = 10.0;       // rm: friction-moment radius (length): |MCZ| <= mu*rm*FCZ

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
constexpr double kHandStep = 0.15707963278;    // one hand-pose key press (9 degrees)
constexpr double kHandStepDegrees = 9.0;       // the same key press in degrees
constexpr double kHalfPi = 1.5707963278;       // quarter turn: keys u/d, tip root floor, parallels
constexpr double kTwoPiWrap = 6.2831853071796; // 2 pi as used for root wrapping
constexpr double kFullTurn = 6.2831853072;     // full turn; also "no fingertip root" marker
constexpr double kRadToDeg = 57.2957795;       // banner text conversion (deg per rad)

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

// ---- force limit of the grasp statics ----
// Normal and grasp forces stay within 10 FEX[z]; the horizontal case also caps
// its friction moments at 10 mu rm FEX[z] (dimensionless factor).
constexpr double kForceCapFactor = 10.0;
constexpr double kForceCap =
    kForceCapFactor * kCaseLoad[2]; // cap on each normal force (force units)

} // namespace gs
