// Writing a map to PREFIX.csv, its picture PREFIX.png (or .svg, .pdf) and PREFIX.json, the record
// of the command that made them: the files are written under temporary names beside their final
// ones and renamed when complete, so a failed run leaves no partial output and no changed file;
// every catchable signal that ends the process removes the temporary files before it ends the run,
// and none can end it between the renames, so the three files change together or not at all.
#pragma once

#include <string>

#include "graspstat/map.h"

namespace gs {

// Result of RunMapOutput.
enum MapOutputResult : int {
  kMapWritten = 0,   // all three files are in place
  kMapFailed = 1,    // writing failed after the computation started
  kMapBadOutput = 2, // an output file cannot be written: nothing computed
};

// Checks the output prefix: it must name files, not a directory (a name
// ending in '/', '.' or '..', or a directory that exists), or the map would
// be written as the hidden files DIR/.csv, .png and .json or beside the
// directory. Returns 1 when it does, 0 otherwise (then *error says why).
int CheckMapPrefix(const std::string &prefix, std::string *error);

// Computes the map of req on threads threads and writes PREFIX.csv, the
// picture in format (a MapPictureFormat), PREFIX.png, .svg or .pdf, and
// PREFIX.json: the axes, the quantities held fixed, the exact check's model,
// the shaded quantity and the format. With
// progress 1 a progress line (percentage, points per
// second, time left) is kept up to date on standard error. Returns a
// MapOutputResult; on failure *error says why.
int RunMapOutput(const MapRequest *req, int threads, const std::string &prefix, int format,
                 int progress, std::string *error);

} // namespace gs
