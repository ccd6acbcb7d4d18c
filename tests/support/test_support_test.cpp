// The scratch folder's helpers fail the test that asked for a copy or a file
// they could not make, rather than leave a later step to fail for no visible
// reason (a program that does not start, a file that reads empty).
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "support/test_support.h"

using namespace testsupport;

namespace {

TEST(ScratchDir, ACopyOrAWriteThatFailsFailsTheTest) {
  ScratchDir dir("support");
  EXPECT_NONFATAL_FAILURE(dir.CopyFromRuntime("NoSuchProgram.exe"), "cannot copy");
  EXPECT_NONFATAL_FAILURE(dir.CopyFromRuntime("Vandrel.dll", "gone\\Vandrel.dll"), "cannot copy");
  EXPECT_NONFATAL_FAILURE(dir.Write("gone\\LirraCfg.ini", "[BaseConfig]\r\n"), "cannot write");

  dir.CopyFromRuntime("Vandrel.dll", "Copy.dll");
  EXPECT_EQ(ReadFile(dir / "Copy.dll"), ReadFile(RuntimeDir() + "\\Vandrel.dll"));
  dir.Write("LirraCfg.ini", "[BaseConfig]\r\n");
  EXPECT_EQ(ReadFile(dir / "LirraCfg.ini"), "[BaseConfig]\r\n");
}

}  // namespace
