// Where a long line is cut into pieces: sentence ends, the short first piece,
// later pieces of whole sentences.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/sentence_split.h"

namespace {

std::vector<std::string> Pieces(const std::string& text) {
  std::vector<std::string> pieces;
  const auto length = static_cast<uint32_t>(text.size());
  for (uint32_t at = 0; at < length;) {
    const uint32_t end = SpeechPieceEnd(text.data(), length, at);
    if (end <= at || end > length) {
      ADD_FAILURE() << "piece at " << at << " ends at " << end;
      break;
    }
    pieces.push_back(text.substr(at, end - at));
    at = end;
  }
  EXPECT_EQ(SpeechPieceCount(text.data(), length), pieces.size());
  return pieces;
}

std::vector<std::string> Sentences(const std::string& text) {
  std::vector<std::string> sentences;
  const auto length = static_cast<uint32_t>(text.size());
  for (uint32_t at = 0; at < length;) {
    const uint32_t next = NextSentenceStart(text.data(), length, at);
    if (next <= at || next > length) {
      ADD_FAILURE() << "sentence at " << at << " ends at " << next;
      break;
    }
    sentences.push_back(text.substr(at, next - at));
    at = next;
  }
  return sentences;
}

std::string Joined(const std::vector<std::string>& pieces) {
  std::string all;
  for (const std::string& p : pieces) all += p;
  return all;
}

// A sentence of `length` characters ending in a dot, words of four letters
// and a blank, with a comma at `commaAt` (before a blank when commaAt % 5 is
// 3; none when 0).
std::string Sentence(size_t length, size_t commaAt = 0) {
  std::string s;
  while (s.size() + 1 < length) s += (commaAt && s.size() == commaAt) ? ',' : (s.size() % 5 == 4 ? ' ' : 'a');
  return s + '.';
}

TEST(SentenceSplit, SentenceEnds) {
  const struct {
    const char* name;
    const char* text;
    std::vector<std::string> sentences;
  } cases[] = {
      {"full stop", "Mind the guards. They bite.", {"Mind the guards. ", "They bite."}},
      {"every blank behind the end goes with it", "One.   Two.", {"One.   ", "Two."}},
      {"exclamation and question runs", "What?! Go!", {"What?! ", "Go!"}},
      {"semicolon and colon", "Listen: the guards; beware.", {"Listen: ", "the guards; ", "beware."}},
      {"abbreviations", "Mr. Vares lives by St. Delyn. Go.", {"Mr. Vares lives by St. Delyn. ", "Go."}},
      {"abbreviations in any case", "ask DR. Hlaalu or mrs. Andas. Then rest.",
       {"ask DR. Hlaalu or mrs. Andas. ", "Then rest."}},
      {"dotted abbreviations", "Bring food, e.g. bread. Now.", {"Bring food, e.g. bread. ", "Now."}},
      {"initials", "J. R. Vel signed it. F. came.", {"J. R. Vel signed it. ", "F. came."}},
      {"initial in Cyrillic", "\xC0. \xC1\xE5\xEB \xEF\xE8\xF1\xE0\xEB. \xC4\xE0.",
       {"\xC0. \xC1\xE5\xEB \xEF\xE8\xF1\xE0\xEB. ", "\xC4\xE0."}},
      {"a number's dot", "It costs 3.5 drakes. Pay.", {"It costs 3.5 drakes. ", "Pay."}},
      {"a number ends a sentence", "He paid 3.5. Then left.", {"He paid 3.5. ", "Then left."}},
      {"a year ends a sentence", "It was 427. Then war.", {"It was 427. ", "Then war."}},
      {"No. before a number", "Room No. 5 is free. Go.", {"Room No. 5 is free. ", "Go."}},
      {"No. as an answer", "No. I will not.", {"No. ", "I will not."}},
      {"ellipsis before a small letter", "Wait... no, stay. Go.", {"Wait... no, stay. ", "Go."}},
      {"ellipsis before a capital", "Wait... Then go.", {"Wait... ", "Then go."}},
      {"quote after the full stop", "He said \"Go.\" Then he left.", {"He said \"Go.\" ", "Then he left."}},
      {"bracket after the full stop", "(It is late.) Go home.", {"(It is late.) ", "Go home."}},
      {"typographic quote", "\x93Go.\x94 Then.", {"\x93Go.\x94 ", "Then."}},
      {"a quote that ends before a small letter", "\"Go!\" he said. Then.", {"\"Go!\" he said. ", "Then."}},
      {"the page's paragraph mark behind a line", "at  dawn.. F.", {"at  dawn.. ", "F."}},
      {"the paragraph mark behind an initial", "Signed F.. Burn it.", {"Signed F.. ", "Burn it."}},
      {"no blank behind the dot", "See example.com now.", {"See example.com now."}},
      {"a dot with no word before it", "So . it ends.", {"So . ", "it ends."}},
      {"blanks at both ends", "  Hi.  ", {"  Hi.  "}},
      {"no sentence end at all", "just words", {"just words"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Sentences(c.text), c.sentences);
  }
}

TEST(SentenceSplit, NothingToCut) {
  EXPECT_EQ(NextSentenceStart("", 0, 0), 0u);
  EXPECT_EQ(NextSentenceStart(nullptr, 5, 0), 5u);
  EXPECT_EQ(SpeechPieceCount("", 0), 0u);
  EXPECT_EQ(SpeechPieceEnd("", 0, 0), 0u);
  EXPECT_EQ(SpeechPieceEnd(nullptr, 5, 0), 5u);
  EXPECT_EQ(SpeechPieceEnd("Hi. Go.", 7, 7), 7u);
  EXPECT_EQ(SpeechPieceEnd("Hi. Go.", 7, 9), 7u);
}

// The first piece joins whole sentences within FirstPieceChars; a first
// sentence longer than that ends early: behind its last comma within the
// limit, else its last blank there.
TEST(SentenceSplit, TheFirstPieceIsShort) {
  const std::string threeHundred = Sentence(300, 58);
  const struct {
    const char* name;
    std::string text;
    std::string first;
  } cases[] = {
      {"a first sentence of 300 characters: at its comma", threeHundred + " Next.", threeHundred.substr(0, 60)},
      {"a comma too near the start: at the last blank", Sentence(300, 8), Sentence(300, 8).substr(0, 80)},
      {"no comma: at the last blank", Sentence(200), Sentence(200).substr(0, 80)},
      {"a text without any sentence end", std::string(Sentence(200), 0, 199), Sentence(200).substr(0, 80)},
      {"a comma beyond the limit does not count", Sentence(200, 118), Sentence(200).substr(0, 80)},
      {"80 characters stay whole", Sentence(80) + " Next.", Sentence(80) + " "},
      {"short sentences joined", "Hear me. Mind the guards. " + Sentence(60) + " Next.", "Hear me. Mind the guards. "},
      {"a text no longer than a first piece stays whole", "Mind the guards. They bite.", "Mind the guards. They bite."},
      {"one long word stays whole", std::string(100, 'x') + ". Next.", std::string(100, 'x') + ". "},
      {"not inside a number", std::string(74, 'w') + " 10 000 drakes, paid in full. Next.",
       std::string(74, 'w') + " "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::string> pieces = Pieces(c.text);
    ASSERT_FALSE(pieces.empty());
    EXPECT_EQ(pieces[0], c.first);
    EXPECT_EQ(Joined(pieces), c.text);
  }
}

// Later pieces are whole sentences, as many as fit in PieceChars; one longer
// sentence is a piece of its own.
TEST(SentenceSplit, LaterPiecesJoinWholeSentences) {
  std::string text = "Hear me, outlander, and hear me well now. ";  // no room for a second sentence
  for (int i = 0; i < 30; ++i) text += Sentence(48) + " ";  // 49 characters a sentence
  text += Sentence(400) + " " + Sentence(20);
  const std::vector<std::string> pieces = Pieces(text);
  ASSERT_EQ(pieces.size(), 8u);
  EXPECT_EQ(pieces[0], "Hear me, outlander, and hear me well now. ");
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(pieces[i].size(), 6u * 49) << i;  // six sentences: 294 characters
  EXPECT_EQ(pieces[6], Sentence(400) + " ");
  EXPECT_EQ(pieces[7], Sentence(20));
  EXPECT_EQ(Joined(pieces), text);
}

// The rest of a first sentence cut short is the next piece, joined with the
// sentences behind it.
TEST(SentenceSplit, TheRestOfALongFirstSentenceComesNext) {
  const std::string first = Sentence(150, 38);
  const std::string text = first + " " + Sentence(30) + " " + Sentence(400);
  const std::vector<std::string> pieces = Pieces(text);
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[0], first.substr(0, 40));
  EXPECT_EQ(pieces[1], first.substr(40) + " " + Sentence(30) + " ");
  EXPECT_EQ(pieces[2], Sentence(400));
}

}  // namespace
