// Test support is header-only; this unit keeps the support folder in the build.
#include "support/console_capture.h"
