// What the tests share: a scratch folder per test, running a Windows program
// to its end, and reading the host's log (a profile file) back as lines.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// Folder of the built programs and libraries (build/run).
std::string RuntimeDir();

// A fresh, empty folder below the test programs' folder, removed at the end.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name);
  ~ScratchDir();
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& file) const { return path_ + "\\" + file; }
  // Copies build/run/<relative> into this folder (under its own file name,
  // or as `as`).
  void CopyFromRuntime(const std::string& relative, const std::string& as = "") const;
  void Write(const std::string& file, const std::string& text) const;

 private:
  std::string path_;
};

// Runs a command line in `cwd` and waits for it; returns the exit code, or -1
// when it could not start or did not end within `timeoutMs`.
int RunProgram(const std::string& commandLine, const std::string& cwd, DWORD timeoutMs = 120000);

std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// The values of one profile section in file order ("key=value" pairs).
struct LogEntry {
  std::string key;
  std::string value;
};
std::vector<LogEntry> ReadLogSection(const std::string& path, const char* section = "Quorrim");
std::vector<std::string> LogValues(const std::string& path);

// "name=value" lines of a host report.
std::string ReportValue(const std::string& reportText, const std::string& name);

}  // namespace testsupport
