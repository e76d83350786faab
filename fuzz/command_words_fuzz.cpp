// A command line as the cli reads it, from an -e option, a script line or its own
// arguments: splitting any line never fails and gives no word longer than the line,
// and words joined into a line and split again come back unchanged, whatever bytes
// they hold. The input's zero bytes end the words to join.

#include <cstdlib>
#include <string>
#include <vector>

#include "cli/command_words.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  size_t characters = 0;
  for (const std::string& word : SplitWords(text)) characters += word.size();
  if (characters > text.size()) std::abort();

  std::vector<std::string> words;
  for (size_t begin = 0; begin <= text.size();) {
    size_t end = text.find('\0', begin);
    if (end == std::string::npos) end = text.size();
    words.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  if (SplitWords(JoinWords(words)) != words) std::abort();
  return 0;
}
