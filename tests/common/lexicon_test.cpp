// The lexicon's lines, its matching and the markup escaping of what it hands
// to a voice.  Portable: also run natively under the sanitizers (fuzz/).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "common/lexicon.h"

namespace {

const LexiconMemory Malloc{[](size_t n) { return std::malloc(n); }, [](void* p) { std::free(p); }};

std::string Span(const char* p, uint32_t n) { return p ? std::string(p, n) : std::string(); }

TEST(ParseLexiconLine, Table) {
  using K = LexiconLineKind;
  using F = LexiconFault;
  const struct {
    std::string line;
    K kind;
    F fault;
    std::string written, spoken, comment;
  } cases[] = {
      {"", K::Blank, F::None, "", "", ""},
      {" \t ", K::Blank, F::None, "", "", ""},
      {"; the gods", K::Comment, F::None, "", "", "; the gods"},
      {"   ;", K::Comment, F::None, "", "", ";"},
      {"Vivec = VIH-vek", K::Entry, F::None, "Vivec", "VIH-vek", ""},
      {"\tSeyda   Neen=SAY-dah NEEN  ", K::Entry, F::None, "Seyda   Neen", "SAY-dah NEEN", ""},
      {"Vivec = VIH-vek ; the god ; of Vivec", K::Entry, F::None, "Vivec", "VIH-vek", "; the god ; of Vivec"},
      // The first '=' divides: the spoken form may hold one.
      {"a = b = c", K::Entry, F::None, "a", "b = c", ""},
      {";Vivec = VIH-vek", K::Comment, F::None, "", "", ";Vivec = VIH-vek"},
      {"Vivec", K::NotAnEntry, F::NoEqualsSign, "", "", ""},
      {"Vivec ; = VIH-vek", K::NotAnEntry, F::NoEqualsSign, "", "", "; = VIH-vek"},
      {" = VIH-vek", K::NotAnEntry, F::NoWrittenForm, "", "", ""},
      {"Vivec =  ", K::NotAnEntry, F::NoSpokenForm, "", "", ""},
      {"Vivec = ;VIH-vek", K::NotAnEntry, F::NoSpokenForm, "", "", ";VIH-vek"},
      {"=", K::NotAnEntry, F::NoWrittenForm, "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const LexiconLine l = ParseLexiconLine(c.line.data(), c.line.size());
    EXPECT_EQ(l.kind, c.kind);
    EXPECT_EQ(l.fault, c.fault);
    EXPECT_EQ(Span(l.written, l.writtenLength), c.written);
    EXPECT_EQ(Span(l.spoken, l.spokenLength), c.spoken);
    EXPECT_EQ(Span(l.comment, l.commentLength), c.comment);
  }
}

TEST(ParseLexiconLine, ANulInsideIsPartOfTheLineAndCaughtByTheCheck) {
  const char line[] = "Viv\0ec = VIH-vek";
  const LexiconLine l = ParseLexiconLine(line, sizeof line - 1);
  ASSERT_EQ(l.kind, LexiconLineKind::Entry);
  EXPECT_EQ(l.writtenLength, 6u);
  EXPECT_EQ(CheckLexiconEntry(l.written, l.writtenLength, l.spoken, l.spokenLength), LexiconFault::ControlCharacter);
}

TEST(CheckLexiconEntry, Table) {
  using F = LexiconFault;
  const std::string longWritten(LexiconWrittenMax + 1, 'a'), longSpoken(LexiconSpokenMax + 1, 'a');
  const struct {
    std::string written, spoken;
    F fault;
  } cases[] = {
      {"Vivec", "VIH-vek", F::None},
      {"Seyda Neen", "SAY-dah\tNEEN", F::None},
      {"&", "and", F::None},
      {"Vivec", "a > b & c", F::None},
      {std::string(LexiconWrittenMax, 'a'), std::string(LexiconSpokenMax, 'b'), F::None},
      {"", "x", F::NoWrittenForm},
      {"x", "", F::NoSpokenForm},
      {longWritten, "x", F::WrittenTooLong},
      {"x", longSpoken, F::SpokenTooLong},
      {"Viv\x01" "ec", "x", F::ControlCharacter},
      {"Vivec", "VIH\nvek", F::ControlCharacter},
      {"a=b", "x", F::ReservedCharacter},
      {"a;b", "x", F::ReservedCharacter},
      {"Vivec", "VIH;vek", F::ReservedCharacter},
      {"Vivec", "x = y", F::None},
      {"Vivec", "<pitch absmiddle=\"5\">VIH-vek", F::SpokenStartsMarkup},
      {"Vivec", "VIH <vek>", F::None},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CheckLexiconEntry(c.written.data(), c.written.size(), c.spoken.data(), c.spoken.size()), c.fault)
        << "'" << c.written << "' = '" << c.spoken << "'";
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0, length = 0;
  while (at < text.size()) {
    const size_t next = NextLexiconLine(text.data(), text.size(), at, &length);
    EXPECT_GT(next, at);
    lines.push_back(text.substr(at, length));
    at = next;
  }
  return lines;
}

TEST(NextLexiconLine, EveryKindOfLineEnd) {
  using L = std::vector<std::string>;
  EXPECT_EQ(Lines("a\nb\r\nc\rd"), (L{"a", "b", "c", "d"}));
  EXPECT_EQ(Lines("a\r\n\r\nb\n"), (L{"a", "", "b"}));
  EXPECT_EQ(Lines("\r\r\n\n"), (L{"", "", ""}));
  EXPECT_EQ(Lines(""), L{});
}

TEST(LexiconBomLength, OnlyTheWholeMark) {
  EXPECT_EQ(LexiconBomLength("\xEF\xBB\xBFVivec", 8), 3u);
  EXPECT_EQ(LexiconBomLength("\xEF\xBB", 2), 0u);
  EXPECT_EQ(LexiconBomLength("Vivec", 5), 0u);
}

TEST(SameLexiconForm, FoldedWithBlanksAsOne) {
  LexiconAlphabet ascii;
  AsciiLexiconAlphabet(ascii);
  const struct {
    std::string a, b;
    bool same;
  } cases[] = {
      {"Seyda Neen", "SEYDA neen", true}, {"Seyda Neen", " Seyda \t Neen ", true}, {"Seyda Neen", "SeydaNeen", false},
      {"Vivec", "Vivec's", false},        {"", " ", true},                         {"n'wah", "N'WAH", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SameLexiconForm(c.a.data(), c.a.size(), c.b.data(), c.b.size(), ascii), c.same) << c.a << " / " << c.b;
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

// A lexicon of the pairs, and what it makes of texts.
struct Lex {
  explicit Lex(const Pairs& pairs, const LexiconAlphabet* alphabet = nullptr) {
    LexiconAlphabet ascii;
    AsciiLexiconAlphabet(ascii);
    std::vector<LexiconEntry> entries;
    for (const auto& p : pairs)
      entries.push_back({p.first.data(), static_cast<uint32_t>(p.first.size()), p.second.data(),
                         static_cast<uint32_t>(p.second.size())});
    built = lexicon.Build(entries.data(), static_cast<uint32_t>(entries.size()), alphabet ? *alphabet : ascii, Malloc,
                          [](void* self, uint32_t i) { static_cast<Lex*>(self)->duplicates.push_back(i); }, this);
    work.memory = Malloc;
  }
  ~Lex() {
    lexicon.Release();
    work.Release();
  }
  std::string Apply(const std::string& text, LexiconEscape escape = LexiconEscape::None) {
    EXPECT_TRUE(ApplyLexicon(lexicon, text.data(), text.size(), escape, work));
    EXPECT_EQ(std::strlen(work.text), work.length);
    return std::string(work.text, work.length);
  }
  Lexicon lexicon{};
  LexiconWork work{};
  bool built = false;
  std::vector<uint32_t> duplicates;
};

const Pairs Names = {
    {"Vivec", "VIH-vek"},
    {"Seyda Neen", "SAY-dah NEEN"},
    {"Dagoth", "DAH-goth"},
    {"Dagoth Ur", "DAH-goth OOR"},
    {"Ald'ruhn", "ALL-droon"},
    {"Ald", "ALLD"},
    {"n'wah", "nuh-WAH"},
    {"wah", "WAAH"},
    {"Almalexia", "Vivec's sister"},
    {"Sotha Sil", "SO-thah SILL"},
    {"&", "and"},
};

TEST(ApplyLexicon, Matching) {
  Lex lex(Names);
  ASSERT_TRUE(lex.built);
  EXPECT_EQ(lex.lexicon.Count(), Names.size());
  const struct {
    const char* what;
    std::string text, spoken;
  } cases[] = {
      {"letter case", "VIVEC, vivec and ViVeC", "VIH-vek, VIH-vek and VIH-vek"},
      {"phrase before its first word", "Dagoth Ur came; Dagoth fled.", "DAH-goth OOR came; DAH-goth fled."},
      {"punctuation around", "(Vivec) \"Vivec\" Vivec. Vivec, Vivec! -Vivec-", 
       "(VIH-vek) \"VIH-vek\" VIH-vek. VIH-vek, VIH-vek! -VIH-vek-"},
      {"possessive", "Vivec's palace, Seyda Neen's port", "VIH-vek's palace, SAY-dah NEEN's port"},
      {"a quote around the name", "'Vivec' and 'Vivec's'", "'VIH-vek' and 'VIH-vek's'"},
      {"apostrophe inside a name", "Ald'ruhn and Ald", "ALL-droon and ALLD"},
      {"no first part of a name with an apostrophe", "Ald'ruhnite Ald'skar", "Ald'ruhnite Ald'skar"},
      {"no last part of a name with an apostrophe", "You n'wah! wah.", "You nuh-WAH! WAAH."},
      {"never inside a word", "Viveca aVivec Vivec2 Dagothi Aldur", "Viveca aVivec Vivec2 Dagothi Aldur"},
      {"blanks inside a phrase", "Seyda  Neen, Seyda\tNeen", "SAY-dah NEEN, SAY-dah NEEN"},
      {"not across a word", "Seyda Neenish", "Seyda Neenish"},
      {"spoken form not matched again", "Almalexia", "Vivec's sister"},
      {"a written form that is not a word", "salt&rice & bread", "saltandrice and bread"},
      {"nothing to match", "The sand is warm.", "The sand is warm."},
      {"empty", "", ""},
      {"at both ends", "Vivec", "VIH-vek"},
  };
  for (const auto& c : cases) EXPECT_EQ(lex.Apply(c.text), c.spoken) << c.what;
}

// The longest entry first, wherever it starts; equally long ones from the
// left; text one entry took is not matched again by another.
TEST(ApplyLexicon, OverlappingEntries) {
  Lex lex({{"aa bb", "X"}, {"bb cc dd", "Y"}, {"dd ee", "Z"}, {"ff gg", "F"}, {"gg hh", "G"}});
  EXPECT_EQ(lex.Apply("aa bb cc dd ee"), "aa Y ee");
  EXPECT_EQ(lex.Apply("aa bb cc"), "X cc");
  EXPECT_EQ(lex.Apply("ff gg hh"), "F hh");
  EXPECT_EQ(lex.Apply("ff gg hh ff gg"), "F hh F");
}

TEST(ApplyLexicon, OfEqualFormsTheFirstStaysAndTheOthersAreReported) {
  Lex lex({{"Vivec", "one"}, {"Balmora", "bal"}, {"VIVEC", "two"}, {"vivec", "three"}});
  EXPECT_EQ(lex.lexicon.Count(), 2u);
  EXPECT_EQ(lex.duplicates, (std::vector<uint32_t>{2, 3}));
  EXPECT_EQ(lex.Apply("Vivec of Balmora"), "one of bal");
}

TEST(ApplyLexicon, FormsBeyondTheLimitsAreLeftOut) {
  const std::string longWritten(LexiconWrittenMax + 1, 'a'), longSpoken(LexiconSpokenMax + 1, 'b');
  Lex lex({{longWritten, "x"}, {"Vivec", longSpoken}, {" \t ", "blank"}, {"Balmora", "bal"}});
  EXPECT_EQ(lex.lexicon.Count(), 1u);
  EXPECT_EQ(lex.Apply(longWritten + " Vivec Balmora"), longWritten + " Vivec bal");
}

TEST(ApplyLexicon, Escaping) {
  Lex lex({{"Vivec", "VIH > vek & co"}, {"Balmora", "bal"}});
  const struct {
    std::string text;
    LexiconEscape escape;
    std::string out;
  } cases[] = {
      {"Salt & rice > bread", LexiconEscape::None, "Salt & rice > bread"},
      {"Salt & rice > bread", LexiconEscape::All, "Salt &amp; rice &gt; bread"},
      {"Vivec & Balmora", LexiconEscape::None, "VIH > vek & co & bal"},
      {"Vivec & Balmora", LexiconEscape::All, "VIH &gt; vek &amp; co &amp; bal"},
      {"a <b> c", LexiconEscape::All, "a &lt;b&gt; c"},
      // The text is markup already: tags and references stay, and are not
      // matched into; only the spoken form is escaped.
      {"<emph>Vivec</emph> &amp; Balmora", LexiconEscape::KeepMarkup, "<emph>VIH &gt; vek &amp; co</emph> &amp; bal"},
      {"<Vivec rate=\"Balmora\"/>Vivec", LexiconEscape::KeepMarkup, "<Vivec rate=\"Balmora\"/>VIH &gt; vek &amp; co"},
      {"Bal<silence/>mora Balmora<", LexiconEscape::KeepMarkup, "Bal<silence/>mora bal<"},
  };
  for (const auto& c : cases) EXPECT_EQ(lex.Apply(c.text, c.escape), c.out) << c.text;
}

TEST(ApplyLexicon, ReferencesAreOpaqueInMarkupText) {
  Lex lex({{"amp", "AMP"}, {"lt", "LT"}, {"x", "ex"}});
  EXPECT_EQ(lex.Apply("&amp; &lt; amp x &#120; &x", LexiconEscape::KeepMarkup), "&amp; &lt; AMP ex &#120; &ex");
}

TEST(ApplyLexicon, AnEmptyLexiconOnlyEscapes) {
  Lexicon empty{};
  LexiconWork work{};
  work.memory = Malloc;
  ASSERT_TRUE(ApplyLexicon(empty, "a & b", 5, LexiconEscape::All, work));
  EXPECT_STREQ(work.text, "a &amp; b");
  ASSERT_TRUE(ApplyLexicon(empty, nullptr, 0, LexiconEscape::All, work));
  EXPECT_STREQ(work.text, "");
  work.Release();
}

TEST(ApplyLexicon, MemoryThatRunsOutIsAFailureNotACrash) {
  static int left;
  const LexiconMemory scarce{[](size_t n) { return left-- > 0 ? std::malloc(n) : nullptr; },
                             [](void* p) { std::free(p); }};
  LexiconAlphabet ascii;
  AsciiLexiconAlphabet(ascii);
  const LexiconEntry entry{"Vivec", 5, "VIH-vek", 7};
  for (int blocks = 0; blocks < 12; ++blocks) {
    left = blocks;
    Lexicon lexicon{};
    const bool built = lexicon.Build(&entry, 1, ascii, scarce);
    EXPECT_EQ(lexicon.Count(), built ? 1u : 0u) << blocks;
    LexiconWork work{};
    work.memory = scarce;
    if (ApplyLexicon(lexicon, "Vivec", 5, LexiconEscape::All, work)) {
      EXPECT_STREQ(work.text, built ? "VIH-vek" : "Vivec");
    }
    work.Release();
    lexicon.Release();
  }
}

// A code page's own letters: upper half folded by the system's rules, and
// its typographic apostrophe taken as one (as the plug-in sets it up).
TEST(ApplyLexicon, TheAlphabetDecidesCaseAndLetters) {
  LexiconAlphabet alphabet;
  AsciiLexiconAlphabet(alphabet);
  alphabet.fold[0xC9] = 0xE9;                                  // É é
  alphabet.kind[0x92] = LexiconApostrophe;                     // ’
  alphabet.fold[0x92] = '\'';
  alphabet.kind[0xA0] = LexiconBlank;                          // no-break space
  alphabet.fold[0xA0] = ' ';
  alphabet.kind[0x85] = LexiconOther;                          // …
  Lex lex({{"\xE9lan", "ay-LAHN"}, {"Ald'ruhn", "ALL-droon"}, {"Seyda Neen", "SAY-dah NEEN"}}, &alphabet);
  EXPECT_EQ(lex.Apply("\xC9LAN \xE9lan\x85"), "ay-LAHN ay-LAHN\x85");
  EXPECT_EQ(lex.Apply("Ald\x92ruhn"), "ALL-droon");
  EXPECT_EQ(lex.Apply("Seyda\xA0Neen"), "SAY-dah NEEN");
}

TEST(ApplyLexicon, TenThousandEntries) {
  Pairs pairs;
  char written[32], spoken[32];
  for (int i = 0; i < 10000; ++i) {
    std::snprintf(written, sizeof written, "Name%05d", i * 7919 % 10000);
    std::snprintf(spoken, sizeof spoken, "said %d", i * 7919 % 10000);
    pairs.push_back({written, spoken});
  }
  pairs.push_back({"Name", "just a name"});
  pairs.push_back({"Name00001 Name00002", "the pair"});
  Lex lex(pairs);
  ASSERT_TRUE(lex.built);
  EXPECT_EQ(lex.lexicon.Count(), 10002u);
  EXPECT_EQ(lex.Apply("Name00000, name09999 and NAME04711; Name Name0000 Name00001 Name00002 Name00001"),
            "said 0, said 9999 and said 4711; just a name Name0000 the pair said 1");
}

}  // namespace
