// Log entries in the host's profile file.
#include <gtest/gtest.h>

#include <regex>

#include "plugin/frame/log.h"
#include "support/test_support.h"

using testsupport::ReadLogSection;
using testsupport::ScratchDir;

namespace {

struct LogTo {
  explicit LogTo(const std::string& path) { lstrcpynA(LogFilePath, path.c_str(), sizeof LogFilePath); }
  ~LogTo() { LogFilePath[0] = 0; }
};

TEST(Log, KeysCarryCounterAndLocalTime) {
  ScratchDir dir("log-keys");
  LogTo on(dir / "loader.log");
  const uint32_t first = LogLineCounter();
  LOG_LINE("DLLMAIN::Main EXE module loaded at %08X.", 0x400000u);
  LOG_LINE("second");
  auto entries = ReadLogSection(dir / "loader.log");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].value, "DLLMAIN::Main EXE module loaded at 00400000.");
  // <counter>_<day>.<month>.<year>_<hour>:<minute>:<second>:<ms>, no leading zeros
  const std::regex key(R"((\d+)_([1-9]\d?)\.([1-9]\d?)\.(\d{4})_([1-9]?\d):([1-9]?\d):([1-9]?\d):([1-9]?\d{1,2}))");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(entries[0].key, m, key)) << entries[0].key;
  EXPECT_EQ(std::stoul(m[1]), first);
  ASSERT_TRUE(std::regex_match(entries[1].key, m, key)) << entries[1].key;
  EXPECT_EQ(std::stoul(m[1]), first + 1);  // same millisecond or not, keys differ
}

TEST(Log, MessagesAreCutAt1023Characters) {
  ScratchDir dir("log-long");
  LogTo on(dir / "loader.log");
  const std::string longText(1500, 'x');
  LOG_LINE("%s", longText.c_str());
  EXPECT_NE(ModWriteLogFile(longText.c_str()), 0);  // the host's own long line
  auto entries = ReadLogSection(dir / "loader.log");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].value, longText.substr(0, 1023));
  EXPECT_EQ(entries[1].value, longText.substr(0, 1023));
}

TEST(Log, OffWithoutHostPath) {
  LogFilePath[0] = 0;
  const uint32_t before = LogLineCounter();
  EXPECT_EQ(ModWriteLogFile("nothing"), 0);
  LOG_LINE("nothing either");
  EXPECT_EQ(LogLineCounter(), before);
}

TEST(Log, MakeLogKeyFormatsTheGivenCounter) {
  char key[64];
  const uint32_t n = LogLineCounter();
  MakeLogKey(key);
  SYSTEMTIME t;
  GetLocalTime(&t);
  char expectedPrefix[64];
  wsprintfA(expectedPrefix, "%u_%u.%u.%u_", n, t.wDay, t.wMonth, t.wYear);
  EXPECT_EQ(std::string(key).rfind(expectedPrefix, 0), 0u) << key;
  EXPECT_EQ(LogLineCounter(), n + 1);
}

}  // namespace
