#include "cli/command_words.h"

std::vector<std::string> SplitWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  char quote = 0;
  for (char c : line) {
    if (quote) {
      if (c == quote) {
        quote = 0;
      } else {
        word += c;
      }
    } else if (c == '\'' || c == '"') {
      quote = c;
      inWord = true;
    } else if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

namespace {

// One word as SplitWords reads it back: plain when it holds no blank nor quote,
// otherwise in single quotes, with each single quote of its own in double quotes.
std::string QuotedWord(const std::string& word) {
  if (!word.empty() && word.find_first_of(" \t'\"") == std::string::npos) return word;
  std::string quoted = "'";
  for (char c : word) {
    if (c == '\'') {
      quoted += "'\"'\"'";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace

std::string JoinWords(const std::vector<std::string>& words) {
  std::string line;
  for (const std::string& word : words) {
    if (!line.empty()) line += ' ';
    line += QuotedWord(word);
  }
  return line;
}
