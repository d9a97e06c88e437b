// The key help the program prints on the console at start-up (Japanese).
#pragma once

namespace gs {

// Writes the sixteen lines of the key help to the console, no final newline.
void PrintKeyHelp();

} // namespace gs
