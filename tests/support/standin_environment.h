// What the speech tests share: the SAPI stand-in registered in the Wine
// prefix, and the figures of its synthesizer.
#pragma once
#include <gtest/gtest.h>

#include "sapi_standin_control.h"
#include "support/test_support.h"

namespace speechtest {

// Registers QuorrimSapi.dll from the build's runtime folder once per program.
class StandInEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(sapistandin::Register(testsupport::RuntimeDir() + "\\" + sapistandin::DllName))
        << "cannot register the SAPI stand-in";
  }
};

// Bytes the stand-in writes per character at 44 100 Hz, 16-bit mono, rate 0.
inline constexpr uint32_t BytesPerChar = 1323 * 2;

}  // namespace speechtest
