// What graspstat reports of a grasp, named once: the names of cases,
// verdicts and limits, the balance residual of the case solvers' forces,
// and the tables of the reported quantities (their names, their kinds, how
// each is read from the records and when it is null). The batch tool's JSON
// and the Python module's results are both written from these tables, in
// their order.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "graspstat/state.h"

namespace gs {

// Name of a statics case as the output gives it ("SP1", "SP2", "SP3",
// "Norm"), or nullptr for kCaseNone.
const char *StaticsCaseText(int c);

// Name of a statics sub-case as the output gives it ("SP11-1", "SP11-2",
// "SP113", "SP31", "SP32", "SP33"), or nullptr for kSubNone.
const char *StaticsSubCaseText(int c);

// Text of an exact-check verdict as the output gives it ("" for kExactNone).
const char *ExactVerdictText(int verdict);

// Computes the norms of the force balance sum(FC + TC) - FEX and of the
// moment balance sum(RCW x (FC + TC) + MC), RCW = RC - rwG, over contacts 1
// and 2 from the stored vectors. Returns 1 when the current contacts carry a
// statics result (values written), else 0 (nothing written).
int BalanceResidual(const GraspState *s, double *force, double *moment);

// Kinds of reported quantity.
enum ReportKind : int {
  kReportNumber = 0, // a number; null when not finite
  kReportInt,        // a whole number
  kReportBool,       // true or false
  kReportText,       // text (any bytes; written as UTF-8, bad bytes replaced)
  kReportVector,     // three numbers
  kReportPair,       // a number per finger, finger 1 first
  kReportPairInt,    // a whole number or null per finger
  kReportPairVector, // a vector per finger
  kReportNames,      // a list of static names
  kReportLines,      // a list of console lines
  kReportObject,     // an object with a table of its own
  kReportWrench,     // six numbers: a wrench (force, moment / torque scale)
};

// Where the reported quantities are read from.
struct ReportSource {
  const GraspState *state;                  // the model a run left
  const std::vector<std::string> *messages; // its console lines (may be nullptr)
  int exited;                               // 1 when ESC ended the run
  int withContacts;                         // 1: report each finger's contact result code
  const ExactCheck *exact;                  // the exact check reported
  const ExactModel *model;                  // the model it used
  int torques;                              // 1: its joint torques refer to a hand pose
  double residual[2];                       // force and moment balance residuals
  const EpsilonForm *form;                  // the epsilon form reported
  const RobustMeasures *robust;             // robust measures (nullptr: none asked)
};

struct ReportTable;

// One quantity as read: null where present is 0, left out where it is -1.
struct ReportValue {
  int present;
  double number;               // kReportNumber
  int integer;                 // kReportInt, kReportBool
  const char *text;            // kReportText
  std::size_t length;          // its bytes
  const double *vector;        // kReportVector
  double pair[2];              // kReportPair, kReportPairInt (as numbers)
  int pairPresent[2];          // kReportPairInt: 0 where that finger's value is null
  const double *pairVector[2]; // kReportPairVector
  const char *names[8];        // kReportNames
  int nameCount;
  const std::vector<std::string> *lines; // kReportLines
  ReportSource sub;                      // kReportObject: the source of the nested table
};

// One reported quantity: its name in the output, its kind, how it is read
// and, for an object, the table of its fields.
struct ReportField {
  const char *name;
  int kind; // ReportKind
  void (*read)(const ReportSource *src, ReportValue *v);
  const ReportTable *object; // kReportObject: its fields
};

// An object's fields in output order.
struct ReportTable {
  const ReportField *fields;
  int count;
};

// The object of a run: pose, work, flags, contacts, statics, residual, the
// exact check, limitsKept, messages and exited.
extern const ReportTable kRunReport;
// The object of an exact holding check with its strength measures and model.
extern const ReportTable kExactReport;

// The source of a run's object (its residual not yet read).
ReportSource RunReportSource(const GraspState *s, const std::vector<std::string> *messages,
                             int exited, int withContacts);
// The source of an exact check's object; torques 0: no hand pose; robust
// (may be nullptr) adds the robust measures.
ReportSource ExactReportSource(const ExactCheck *e, const ExactModel *m, int torques,
                               const RobustMeasures *robust = nullptr);

} // namespace gs
