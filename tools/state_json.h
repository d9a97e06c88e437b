// The batch tool's JSON view of a run: the model under its own names, the
// record of the last statics calculation, the balance residual of the
// reported forces, the exact holding check with its strength measures and
// the model it used, whether the reported forces keep the limits, the
// console lines and whether ESC ended the run.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "tools/batch_run.h"

namespace gs {

// Name of a statics case as the output gives it ("SP1", "SP2", "SP3",
// "Norm"), or nullptr for kCaseNone.
const char *StaticsCaseText(int c);

// Text of an exact-check verdict as the JSON gives it ("" for kExactNone).
const char *ExactVerdictText(int verdict);

// Name of a statics sub-case as the output gives it ("SP11-1", "SP11-2",
// "SP113", "SP31", "SP32", "SP33"), or nullptr for kSubNone.
const char *StaticsSubCaseText(int c);

// Computes the norms of the force balance sum(FC + TC) - FEX and of the
// moment balance sum(RCW x (FC + TC) + MC), RCW = RC - rwG, over contacts 1
// and 2 from the stored vectors. Returns 1 when the current contacts carry a
// statics result (values written), else 0 (nothing written).
int BalanceResidual(const GraspState *s, double *force, double *moment);

// Layouts of a run's JSON text.
constexpr int kJsonOneLine = 0;    // the whole object on one line
constexpr int kJsonKeyPerLine = 1; // one key per line, each value on one line

// Appends the output object of a run to *text, keys in a fixed order, in the
// given layout and ending with a line feed; with withContacts it also
// carries each finger's contact result code (null when not computed).
// Numbers and strings are written as nlohmann's dump writes them (invalid
// UTF-8 replaced), so the text is the same as the dump of BatchRunJson.
void AppendBatchRunJson(const BatchRun *run, int withContacts, int layout, std::string *text);

// The same object as a JSON value (for tests and callers that edit it).
nlohmann::ordered_json BatchRunJson(const BatchRun *run, int withContacts);

} // namespace gs
