// The batch tool's JSON view of a run: the model under its own names, the
// record of the last statics calculation, the balance residual of the
// reported forces, the exact holding check with its strength measures and
// the model it used, whether the reported forces keep the limits, the
// console lines and whether ESC ended the run.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "graspstat/grasp.h"
#include "graspstat/report.h"

namespace gs {

// Layouts of a run's JSON text.
constexpr int kJsonOneLine = 0;    // the whole object on one line
constexpr int kJsonKeyPerLine = 1; // one key per line, each value on one line

// Appends the output object of a run to *text, keys in a fixed order, in the
// given layout and ending with a line feed; with withContacts it also
// carries each finger's contact result code (null when not computed).
// Numbers and strings are written as nlohmann's dump writes them (invalid
// UTF-8 replaced), so the text is the same as the dump of BatchRunJson.
void AppendBatchRunJson(const BatchRun *run, int withContacts, int layout, std::string *text);

// Appends the object of table t read from src to *text on one line, ending
// with a line feed.
void AppendReportJson(const ReportTable &t, const ReportSource *src, std::string *text);

// The same object as a JSON value (for tests and callers that edit it).
nlohmann::ordered_json BatchRunJson(const BatchRun *run, int withContacts);

} // namespace gs
