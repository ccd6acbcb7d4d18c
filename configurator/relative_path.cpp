#include "configurator/relative_path.h"

#include <vector>

#include "common/ascii_case.h"

namespace {

// "C:" of "C:\Games\x", "\\server\share" of a network path; empty without.
std::string DrivePart(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  if (path.rfind("\\\\", 0) == 0) {
    const size_t server = path.find('\\', 2);
    if (server == std::string::npos) return path;
    const size_t share = path.find('\\', server + 1);
    return path.substr(0, share);
  }
  return "";
}

// The non-empty names between backslashes.
std::vector<std::string> Names(const std::string& path) {
  std::vector<std::string> names;
  std::string name;
  for (char c : path) {
    if (c == '\\') {
      if (!name.empty()) names.push_back(name);
      name.clear();
    } else {
      name += c;
    }
  }
  if (!name.empty()) names.push_back(name);
  return names;
}

}  // namespace

std::string FolderPart(const std::string& path) {
  const size_t cut = path.find_last_of("\\:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string RelativePath(const std::string& fromDir, const std::string& file) {
  const std::string fromDrive = DrivePart(fromDir);
  const std::string fileDrive = DrivePart(file);
  if (!SameIgnoringCase(fromDrive, fileDrive)) return file;
  // Split after the drive: a network path's "drive" may run to its end.
  const std::vector<std::string> from = Names(fromDir.substr(fromDrive.size()));
  const std::string fileRest = file.substr(fileDrive.size());
  const std::string fileFolder = FolderPart(fileRest);
  const std::vector<std::string> to = Names(fileFolder);
  const std::string fileName = fileRest.substr(fileFolder.size());

  size_t shared = 0;
  while (shared < from.size() && shared < to.size() && SameIgnoringCase(from[shared], to[shared])) ++shared;
  std::string relative;
  for (size_t i = shared; i < from.size(); ++i) relative += "..\\";
  for (size_t i = shared; i < to.size(); ++i) relative += to[i] + "\\";
  return relative + fileName;
}
