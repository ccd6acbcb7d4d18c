// Where a fuzz target leaves the inputs it finds (crash-*, leak-*, timeout-*,
// oom-*, slow-unit-*): out/fuzz/TARGET-*, whoever starts it and from wherever.
// Left to itself libFuzzer writes them into the current folder, and a target
// started by hand from the repository's root leaves them there.  An
// -artifact_prefix or -exact_artifact_path given on the command line wins.
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  for (int i = 1; i < *argc; ++i) {
    const char* arg = (*argv)[i];
    if (!std::strncmp(arg, "-artifact_prefix=", 17) || !std::strncmp(arg, "-exact_artifact_path=", 21)) return 0;
  }
  std::error_code ignored;  // a folder that cannot be made shows in libFuzzer's own error on writing
  std::filesystem::create_directories(QUORRIM_FUZZ_OUT, ignored);
  // libFuzzer reads its flags from these after we return, and passes them on
  // to the processes that -fork and -merge start.
  static std::string prefix = std::string("-artifact_prefix=") + QUORRIM_FUZZ_OUT + "/" + QUORRIM_FUZZ_TARGET + "-";
  static std::vector<char*> args;
  args.assign(*argv, *argv + *argc);
  args.push_back(prefix.data());
  args.push_back(nullptr);
  *argc = static_cast<int>(args.size()) - 1;
  *argv = args.data();
  return 0;
}
