// A fuzz target that fails on its first input, for check_artifacts.cmake: its
// finding must land under its own prefix, not in the folder it ran in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { std::abort(); }
