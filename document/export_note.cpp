#include "document/export_note.h"

#include <unistd.h>

#include <cstdio>

#include "core/file_utils.h"
#include "platform/side_file.h"

namespace {

constexpr const char* kNoteName = "export.pending";
constexpr size_t kMostPath = 4096;

}  // namespace

ExportNote::ExportNote(const std::string& sessionFolder, const std::string& target)
    : m_path(JoinPath(sessionFolder, kNoteName)) {
  if (std::FILE* note = std::fopen(m_path.c_str(), "wb")) {
    std::fwrite(target.data(), 1, target.size(), note);
    std::fclose(note);
  }
}

ExportNote::~ExportNote() {
  unlink(m_path.c_str());
}

void RemoveStoppedExport(const std::string& sessionFolder) {
  const std::string path = JoinPath(sessionFolder, kNoteName);
  std::FILE* note = std::fopen(path.c_str(), "rb");
  if (!note) return;
  std::string target(kMostPath, '\0');
  target.resize(std::fread(target.data(), 1, target.size(), note));
  std::fclose(note);
  // Only the side-file names of the target are removed, never the target itself.
  if (target.starts_with("/")) platform::RemoveSideFiles(target);
  unlink(path.c_str());
}
