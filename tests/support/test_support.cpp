#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace testsupport {

namespace {
// Each test program speaks through a SAPI stand-in key of its own (named
// after the program; the programs it starts inherit it), so that ctest can
// run test programs side by side.
const bool ownSapiKey = [] {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string name = path;
  name = name.substr(name.find_last_of("\\/") + 1);
  name = name.substr(0, name.find('.'));
  return SetEnvironmentVariableA("QUORRIM_SAPI_KEY", name.c_str()) != FALSE;
}();
}  // namespace

std::string RuntimeDir() {
  // The runtime folder as Wine sees it: the build tree is mounted at the same
  // Unix path, reachable through drive Z:.
  std::string unix = QUORRIM_RUNTIME_DIR;
  std::string dos = "Z:" + unix;
  for (char& c : dos)
    if (c == '/') c = '\\';
  return dos;
}

namespace {
void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA f;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &f);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = f.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = dir + "\\" + name;
      if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
      else DeleteFileA(full.c_str());
    } while (FindNextFileA(h, &f));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}
}  // namespace

ScratchDir::ScratchDir(const std::string& name) {
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(sizeof cwd, cwd);
  path_ = std::string(cwd) + "\\scratch-" + name;
  RemoveTree(path_);
  CreateDirectoryA((std::string(cwd) + "\\").c_str(), nullptr);
  CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchDir::~ScratchDir() {
  if (!getenv("QUORRIM_KEEP_SCRATCH")) RemoveTree(path_);
}

// A copy or a write that failed would show only later, as a program that does
// not start or a file that reads wrong: the test fails here, saying why.
void ScratchDir::CopyFromRuntime(const std::string& relative, const std::string& as) const {
  std::string source = RuntimeDir() + "\\" + relative;
  std::string name = as.empty() ? relative.substr(relative.find_last_of("\\/") + 1) : as;
  const std::string target = path_ + "\\" + name;
  if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) {
    const DWORD error = GetLastError();
    ADD_FAILURE() << "cannot copy " << source << " to " << target << " (error " << error << ")";
  }
}

void ScratchDir::Write(const std::string& file, const std::string& text) const {
  std::ofstream out(path_ + "\\" + file, std::ios::binary);
  out << text;
  out.close();
  if (!out) ADD_FAILURE() << "cannot write " << path_ << "\\" << file;
}

// The program runs in a job that is killed with the test program: when ctest
// ends a test that timed out, nothing it started goes on writing into the
// shared prefix and registry key under the next test.  The job stays open
// after a normal end (programs the child started may still be finishing)
// and closes with this process.
int RunProgram(const std::string& commandLine, const std::string& cwd, DWORD timeoutMs) {
  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  if (job) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  }
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, cwd.c_str(), &si,
                      &pi)) {
    if (job) CloseHandle(job);
    return -1;
  }
  if (job) AssignProcessToJobObject(job, pi.hProcess);
  ResumeThread(pi.hThread);
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(pi.hProcess, &code);
  } else if (job) {
    TerminateJobObject(job, 1);
  } else {
    TerminateProcess(pi.hProcess, 1);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return static_cast<int>(code);  // `job` is left open on purpose (see above)
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<LogEntry> ReadLogSection(const std::string& path, const char* section) {
  std::vector<char> buffer(1 << 20);
  DWORD n = GetPrivateProfileSectionA(section, buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
  std::vector<LogEntry> entries;
  for (DWORD i = 0; i < n;) {
    std::string line = buffer.data() + i;
    i += static_cast<DWORD>(line.size()) + 1;
    size_t eq = line.find('=');
    entries.push_back({line.substr(0, eq), eq == std::string::npos ? "" : line.substr(eq + 1)});
  }
  return entries;
}

std::vector<std::string> LogValues(const std::string& path) {
  std::vector<std::string> values;
  for (auto& e : ReadLogSection(path)) values.push_back(e.value);
  return values;
}

std::string ReportValue(const std::string& reportText, const std::string& name) {
  std::istringstream in(reportText);
  std::string line;
  std::string found;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, name.size() + 1, name + "=") == 0) found = line.substr(name.size() + 1);
  }
  return found;
}

}  // namespace testsupport
