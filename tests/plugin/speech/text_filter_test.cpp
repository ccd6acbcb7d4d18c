// SpeechTextFilter, as a table.  Portable: also run natively under the
// sanitizers (fuzz/).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugin/speech/text_filter.h"

namespace {

std::string Filtered(const std::string& in) {
  std::string out(in.size() + 8, '\x55');
  SpeechTextFilter(out.data(), in.c_str(), static_cast<uint32_t>(in.size()));
  return out.c_str();
}

struct Case {
  const char* name;
  std::string in;
  std::string out;
};

TEST(SpeechTextFilter, Table) {
  const Case cases[] = {
      {"signs around a word", "@Vivec#", "Vivec"},
      {"runs of signs and DEL", "a@@#\x7F#b", "ab"},
      {"line-break tag joins words", "Hello<BR>there", "Hellothere"},
      {"CR LF becomes two blanks", "Hello\r\nthere", "Hello  there"},
      {"lone '>' stays", "3 > 2", "3 > 2"},
      {"unclosed '<' drops the rest", "keep <this and more", "keep "},
      {"whole markup dropped", "<font color=\"red\">Red</font> text", "Red text"},
      {"only signs", "@#\x7F@#", ""},
      {"empty", "", ""},
      {"sign inside markup", "a<b@>c", "ac"},
      {"'>' right after markup", "<i>>x", ">x"},
  };
  for (const Case& c : cases) EXPECT_EQ(Filtered(c.in), c.out) << c.name;
}

TEST(SpeechTextFilter, StopsAfterLengthBytes) {
  char out[16];
  SpeechTextFilter(out, "abcdef", 3);
  EXPECT_STREQ(out, "abc");
  SpeechTextFilter(out, "ab@@", 3);  // the skipped run ends at length
  EXPECT_STREQ(out, "ab");
}

}  // namespace
