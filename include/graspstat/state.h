// The whole model of the tool in one plain record: hand pose, work sphere,
// joint angles, derived frames, contact and statics results, the flags of the
// calculation sequence and the view. Per-finger arrays are indexed by the
// finger number 1 or 2; entry 0 exists and carries no data.
//
// Each group of fields below names the routines that write it; everything
// else only reads it. The drawing writes nothing.
#pragma once

#include "graspstat/model.h"
#include "graspstat/pair.h"
#include "graspstat/types.h"

namespace gs {

// Which solver the last statics calculation chose.
enum StaticsCase : int {
  kCaseNone = 0, // no statics calculation since start-up
  kCaseSP1 = 1,  // everything in the horizontal plane
  kCaseSP2 = 2,  // everything in one vertical plane
  kCaseSP3 = 3,  // everything on one line through the work centre
  kCaseNorm = 4, // general configuration, friction-direction search
};

// Sub-case of the last statics calculation.
enum StaticsSubCase : int {
  kSubNone = 0,
  kSubSP11_1 = 1, // horizontal, normals neither equal nor opposite
  kSubSP11_2 = 2, // horizontal, opposite normals
  kSubSP113 = 3,  // horizontal, equal normals: no grasp
  kSubSP31 = 4,   // collinear, horizontal line
  kSubSP32 = 5,   // collinear, inclined line in a vertical plane
  kSubSP33 = 6,   // collinear, vertical line
};

// Verdict of the exact holding check run beside the case solvers.
enum ExactVerdict : int {
  kExactNone = 0,       // no statics calculation for the current contacts
  kExactHolds = 1,      // forces within every limit exist
  kExactCannotHold = 2, // no forces within the limits balance the load
  kExactUndecided = 3,  // the answer turns on less than the decision tolerance, or bad input
  kExactPalmInside = 4, // the palm penetrates the work: no force analysis
};

// Limit kinds of the exact check; a "cannot hold" answer sets the bit of
// each kind that, relaxed alone, would let the work be held.
enum ExactLimit : int {
  kLimitFriction = 1, // |T_k| <= mu FCZ_k
  kLimitMoment = 2,   // |MCZ_k| <= mu rm FCZ_k
  kLimitForceCap = 4, // FCZ_k <= 10 FEX[z]
  kLimitPushOnly = 8, // FCZ_k >= 0
};

// Result of the exact holding check (per-contact arrays indexed 1, 2).
struct ExactCheck {
  int verdict;           // ExactVerdict
  double margin;         // holds: 1 - u*, u* the least friction scale that still holds
  double FCZ[3];         // holds: normal forces of the least-total-normal-force solution
  double T[3][3];        // holds: friction force vectors in the tangent planes
  double MCZ[3];         // holds: friction moments about NF[k]
  double jointTorque[3]; // holds: torque of each finger joint about its axis
  int blocking;          // cannot hold: ExactLimit bits
  const char *reason;    // undecided: a static text saying why, else nullptr
  // strength measures (NaN where the answer turns on less than the decision
  // tolerance or nothing was computed)
  double capacity;      // largest load factor that can be held (>= 1 exactly where it holds)
  double muNeeded;      // least friction coefficient that holds the load; +inf when none does
  int forceClosure;     // 1 any wrench can be held with the cap removed, 0 not, -1 undecided
  GraspEpsilon epsilon; // Ferrari-Canny epsilon of the same contacts (NaN: not computed)
};

constexpr int kHandPoseTextCap = 32; // room for "(P,Q)=(-xxxx,-xxxx)(deg)\n"

struct GraspState {
  // hand pose (rad); written by StartUp, the interpreter's mode H and the
  // batch tool's solve, each followed by HandKinematics
  double alHand;  // rotation about X of the fixed frame
  double betHand; // rotation about Y of the fixed frame

  // work sphere (model length units); written by StartUp, the interpreter's
  // mode W and the batch tool's solve
  double aSph; // radius
  Vec3 rwG;    // centre
  Mat3 EW;     // orientation, drawn only

  // finger joint angles: qqf[n][1] is the joint of finger n (rad); written
  // by the contact calculation (VeskSphereContanct through the interpreter's
  // mode A) and InitGraspState, each followed by FingerLinkKinematics
  double qqf[3][2];

  // derived kinematics (fixed frame): HandKinematics writes the hand frame,
  // palm point, joints, base frames and pose text when the pose changes;
  // FingerLinkKinematics writes the link frames and link ends rJ1[2], rJ2[2]
  // when a joint angle changes (InitGraspState, the interpreter's mode A)
  Mat3 EA, EAt;                        // hand orientation and its transpose
  Vec3 rPalm;                          // palm reference point
  Vec3 rBase1, rBase2;                 // finger joint positions
  Vec3 rJ1[3], rJ2[3];                 // [0] hand origin, [1] joint, [2] link end
  Mat3 Es1, Es2;                       // finger base frames
  Mat3 Es1t, Es2t;                     // their transposes
  Mat3 EL1, EL2;                       // link frames
  Mat3 EL1t, EL2t;                     // their transposes
  char handPoseText[kHandPoseTextCap]; // "(P,Q)=(a,b)(deg)\n", no NUL
  int handPoseTextLen;                 // characters up to and including '\n'

  // work centre in the current finger's frame (contact scratch); written by
  // VeskSphereContanct
  Vec3 RWG;

  // contact results per finger; written by VeskSphereContanct through the
  // interpreter's mode A, which also copies NW into nc and keeps the result
  // code; VeskStatics copies NW into nc once more before it solves
  Vec3 RC[3];         // contact point
  Vec3 NF[3];         // finger normal, into the work
  Vec3 NW[3];         // work normal, out of the work
  Vec3 nc[3];         // contact normal as the statics read it (copy of NW)
  int contactCode[3]; // result of finger n's last contact calculation (1 touches, 0 not)

  // statics results per contact; written by the case solvers through
  // VeskStatics (mode S), cleared in part by InitGraspState
  double FCZ[3];            // normal force
  double TCF[3];            // friction force along tc
  double MCZ[3];            // friction moment about the normal
  Vec3 tc[3];               // friction direction
  Vec3 FC[3], TC[3], MC[3]; // the same as vectors

  // record of the last statics calculation, for tools and tests; written by
  // VeskStatics and the interpreter's mode S (exact: ExactGraspCheck),
  // exact cleared by InitGraspState
  int staticsCase;    // StaticsCase
  int staticsSubCase; // StaticsSubCase
  int normCandidate;  // 1-based accepted candidate of the general search, else 0
  ExactCheck exact;   // exact holding check of the same contacts (kExactNone before)
  // model of the exact holding check (friction, moment radius, cap, required
  // wrench, contact law); kDefaultExactModel from InitModelState, changed
  // only by the batch tool and the Python module, never by a reset
  ExactModel exactModel;

  // calculation-sequence flags; written by the interpreter, StartUp and
  // InitGraspState (sgnGraspExec: CheckGraspExec); the statics solvers also
  // store StaticsStability and sgnStaticsEnd = 2 before mode S sets both
  char sgnCAL;          // key mode 'I', 'H', 'W', 'A' or 'S'
  char sgnCALEnd;       // 'N' on entering mode A and on every reset
  int nFin;             // finger computed last: 0, 1 or 2
  int cntContact;       // fingers whose contact calculation succeeded
  int sgnGraspEnd;      // 1 once finger 2 has been computed
  int sgnGraspExec;     // 1 when pose and work admit a grasp
  int sgnStaticsEnd;    // 1 once the statics ran for these contacts
  int StaticsStability; // 1 when the last statics found a stable grasp

  // view (degrees, scene units); written by StartUp and the interpreter's
  // mode I
  double viewRot[3];
  double viewTrans[3];
};

// Sets every field to its load-time value: zeros, radius 100, sgnCALEnd 'N',
// the default model of the exact check.
void InitModelState(GraspState *s);

} // namespace gs
