#include "core/program_links.h"

ProgramLinks& Links() {
  static ProgramLinks links;
  return links;
}
