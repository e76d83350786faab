#pragma once

#include <string>
#include <vector>

// Splits a command line at blanks; single or double quotes keep blanks in a word, and
// quoted and plain parts next to each other make one word ('it'"'"'s' is it's).
std::vector<std::string> SplitWords(const std::string& line);

// The command line whose SplitWords gives words again, whatever bytes they hold.
std::string JoinWords(const std::vector<std::string>& words);
