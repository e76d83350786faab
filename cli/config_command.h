#pragma once

#include <ostream>

class CMixerApp;

// Prints the configuration record's fields, one per line.
void PrintConfig(const CMixerApp& app, std::ostream& out);
