// SetChannelText: the filtered text in a fresh block of the process heap.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "plugin/speech/text_filter.h"
#include "plugin/speech/voice_channel.h"

namespace {

TEST(SetChannelText, ReplacesTheTextWithAZeroedBlock) {
  VoiceChannel channel;
  std::memset(&channel, 0, sizeof channel);
  SetChannelText(&channel, "@Hello#<br>\nyou");
  ASSERT_NE(channel.text, nullptr);
  EXPECT_STREQ(channel.text, "Hello you");
  EXPECT_GE(HeapSize(GetProcessHeap(), 0, channel.text), std::strlen("@Hello#<br>\nyou") + 8);
  SetChannelText(&channel, "");
  ASSERT_NE(channel.text, nullptr);
  EXPECT_EQ(HeapSize(GetProcessHeap(), 0, channel.text), 8u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(channel.text[i], 0);
  HeapFree(GetProcessHeap(), 0, channel.text);
}

}  // namespace
