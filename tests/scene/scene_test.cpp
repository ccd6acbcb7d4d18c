// The scripted scene in the game double with the real plug-in: dialogue lines
// go from the dialogue routine's call site through the worker and the SAPI
// stand-in to the game's say routine, and come back as DirectSound buffers at
// the speaker's pitch.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "support/standin_environment.h"
#include "support/test_support.h"

using namespace testsupport;

namespace {

const auto* const environment = ::testing::AddGlobalTestEnvironment(new speechtest::StandInEnvironment);

// Pitch offsets chosen so that every sum is distinct: a missing or doubled
// term shows in the frequency.
const char Settings[] =
    "[BaseConfig]\r\nVoiceFxByRace=%d\r\n%sVPBaseMale=-300\r\nVPBaseFemale=2000\r\nVPBaseCreature=700\r\n"
    "[RaceConfig]\r\nVPDarkElf=1000\r\nVPOrc=-4000\r\n"
    "[LirraDlg]\r\nVoiceEnable=1\r\nAutoSpeak=1\r\nVoiceMaleName=Quorrim Male\r\n"
    "VoiceFemaleName=Quorrim Female\r\nVoiceCreatureName=Quorrim Creature\r\n"
    "[LirraDoc]\r\nVoiceEnable=1\r\n";

// Two of the game's names respelled; a comment and a line that is not an
// entry change nothing.
const char Lexicon[] = "; names\r\nVivec = VIH-vek\r\nSeyda Neen = SAY-dah NEEN\r\nnot an entry\r\n";

struct Scene {
  explicit Scene(int voiceFxByRace) : dir("scene-fx" + std::to_string(voiceFxByRace)) {
    for (const char* f : {"Morrowind.exe", "Vandrel.dll", "MLDRLib.dll"}) dir.CopyFromRuntime(f);
    char settings[1024];
    // The run without race effects also has the silence row emptied.
    snprintf(settings, sizeof settings, Settings, voiceFxByRace, voiceFxByRace ? "" : "SilenceKeyCode=0\r\n");
    dir.Write("LirraCfg.ini", settings);
    dir.Write("Lexicon.txt", Lexicon);
    sapistandin::SetVoices({"Quorrim Male", "Quorrim Female", "Quorrim Creature"});
    exitCode = RunProgram("\"" + (dir / "Morrowind.exe") + "\" --report \"" + (dir / "report.txt") +
                              "\" --wait-log \"WRKTHREAD::Entering message loop.\" --scene --volume 180" +
                              // Only the lines depend on the race effects: the reading is left out then.
                              (voiceFxByRace ? "" : " --no-reading"),
                          dir.path(), 240000);  // below ctest's limit, so this test reports it
    report = ReadFile(dir / "report.txt");
    log = LogValues(dir / "ModuleLoader.log");  // complete: the game has ended
  }
  std::string Say(int index, const std::string& field) const {
    return ReportValue(report, "say." + std::to_string(index) + "." + field);
  }
  ScratchDir dir;
  int exitCode;
  std::string report;
  std::vector<std::string> log;
};

// One run per setting of VoiceFxByRace for the whole program: a run takes
// seconds of real playback.
Scene& RunWith(int voiceFxByRace) {
  static std::unique_ptr<Scene> scenes[2];
  if (!scenes[voiceFxByRace]) scenes[voiceFxByRace] = std::make_unique<Scene>(voiceFxByRace);
  return *scenes[voiceFxByRace];
}

struct Line {
  const char* speaker;
  const char* detected;  // the classification line of the log
  const char* voice;     // the stand-in voice of the speaker's channel
  const char* text;
};
const Line Lines[] = {
    {"Dralasa Nerethi", "MORROWIND::Detected a Female NPC: Dralasa Nerethi, [ dralasa nerethi ]", "Quorrim Female",
     "Welcome to Seyda Neen, outlander. The guards of Vivec do not like strangers."},
    {"Gharz gro-Shagdul", "MORROWIND::Detected a Male NPC: Gharz gro-Shagdul, [ gharz gro-shagdul ]", "Quorrim Male",
     "Strength is the only thing an orc respects. Show me yours."},
    {"Mudcrab", "MORROWIND::Detected a Creature: Mudcrab, [ mudcrab ]", "Quorrim Creature",
     "Click, click. The sand is warm and the water is cold."},
};

TEST(Scene, RunsToTheEndWithDirectSound) {
  const Scene& s = RunWith(1);
  EXPECT_EQ(s.exitCode, 0);
  EXPECT_EQ(ReportValue(s.report, "load"), "ok");
  EXPECT_EQ(ReportValue(s.report, "scene.directsound"), "ok");
  EXPECT_EQ(ReportValue(s.report, "scene.done"), "1");
}

// The log's speech lines of the dialogue part, or of the part where the
// player reads (from the first document text on).
std::vector<std::string> SpeechLog(const Scene& s, bool reading) {
  std::vector<std::string> lines;
  bool inReading = false;
  for (const std::string& l : s.log) {
    inReading = inReading || l.rfind("MORROWIND::Preparing document text", 0) == 0;
    if (inReading == reading && (l.rfind("MORROWIND::", 0) == 0 || l.rfind("EVENT::Trying to speak", 0) == 0))
      lines.push_back(l);
  }
  return lines;
}

// Each line once in the log, in the order the game passed them, classified;
// the second pass of each line and the journal entry are not spoken.
TEST(Scene, LogShowsEachLineOnceClassified) {
  const Scene& s = RunWith(1);
  const std::vector<std::string> dialogue = SpeechLog(s, false);
  std::vector<std::string> expected;
  for (const Line& l : Lines) {
    expected.push_back("MORROWIND::Preparing a dialogue text.");
    expected.push_back(l.detected);
    expected.push_back(std::string("EVENT::Trying to speak: ") + l.text);
  }
  EXPECT_EQ(dialogue, expected);
}

// The voice hears the lexicon's respelling, the log keeps the game's words
// (LogShowsEachLineOnceClassified); a line without those names is spoken as
// the game wrote it.
TEST(Scene, TheLexiconRespellsWhatTheVoiceHears) {
  const Scene& s = RunWith(1);
  EXPECT_EQ(s.Say(0, "plain"), "Welcome to SAY-dah NEEN, outlander. The guards of VIH-vek do not like strangers.");
  EXPECT_EQ(s.Say(1, "plain"), Lines[1].text);
  EXPECT_NE(std::find(s.log.begin(), s.log.end(), "DLLMAIN::Lexicon.txt read, entries: 2."), s.log.end());
  EXPECT_NE(std::find(s.log.begin(), s.log.end(), "DLLMAIN::Lexicon.txt, line 4 is not an entry (no '='): not an entry"),
            s.log.end());
}

TEST(Scene, EachLineReachesTheSayRoutineOnceAsItsSpeaker) {
  const Scene& s = RunWith(1);
  // Three lines, the game's own file, five pages (the first of them two
  // pieces), then the long line and the long page piece by piece.
  EXPECT_EQ(ReportValue(s.report, "book.page0.says"), "2");
  const int longTexts =
      std::stoi(ReportValue(s.report, "long_line.says")) + std::stoi(ReportValue(s.report, "long_page.says"));
  ASSERT_EQ(std::stoi(ReportValue(s.report, "say.count")), 10 + longTexts);
  std::vector<std::string> files;
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(Lines[i].speaker);
    EXPECT_EQ(s.Say(i, "speaker"), Lines[i].speaker);
    EXPECT_EQ(s.Say(i, "voice"), Lines[i].voice);
    const std::string file = s.Say(i, "file");
    EXPECT_EQ(file.size(), 12u);
    EXPECT_EQ(file.substr(0, 4), "VTTS");
    files.push_back(file);
    EXPECT_EQ(s.Say(i, "volume"), "180");
    EXPECT_EQ(s.Say(i, "loader"), "plugin");
    EXPECT_EQ(s.Say(i, "played"), "1");
    EXPECT_EQ(s.Say(i, "format_rate"), "44100");
    const unsigned long bytes = std::stoul(s.Say(i, "bytes"));
    EXPECT_GT(bytes, 44100u);
    EXPECT_EQ(std::stoul(s.Say(i, "peaks")), bytes / 2304);
    EXPECT_GT(std::stol(s.Say(i, "peak_max")), 0);
  }
  std::sort(files.begin(), files.end());
  EXPECT_EQ(std::unique(files.begin(), files.end()), files.end()) << "one channel per kind of speaker";
  EXPECT_EQ(ReportValue(s.report, "journal.says"), "0");
}

// The buffer plays at 44 100 Hz moved by the speaker's offsets; with the
// race effects on, the game's pitch step is kept away from the plug-in's
// buffers, with them off it runs as for any voice.
TEST(Scene, BufferFrequencyCarriesSexRaceAndCreatureOffsets) {
  const struct {
    int voiceFxByRace;
    const char* frequencies[3];
    const char* pitchStep;
  } cases[] = {
      {1, {"47100", "39800", "44800"}, "0"},
      {0, {"46100", "43800", "44800"}, "1"},
  };
  for (const auto& c : cases) {
    const Scene& s = RunWith(c.voiceFxByRace);
    for (int i = 0; i < 3; ++i) {
      SCOPED_TRACE(testing::Message() << "VoiceFxByRace=" << c.voiceFxByRace << " " << Lines[i].speaker);
      EXPECT_EQ(s.Say(i, "frequency"), c.frequencies[i]);
      EXPECT_EQ(s.Say(i, "pitch_step"), c.pitchStep);
    }
  }
}

// A player who empties the silence row has no silence key: every line plays
// to its end, as with the key set.
TEST(Scene, AnEmptySilenceChordLetsEveryLinePlayToItsEnd) {
  for (int voiceFxByRace : {1, 0}) {
    const Scene& s = RunWith(voiceFxByRace);
    for (int i = 0; i < 3; ++i) {
      SCOPED_TRACE(testing::Message() << (voiceFxByRace ? "silence key set " : "silence row empty ") << Lines[i].speaker);
      // Seen well past its middle, then back at the start: it ran out.
      EXPECT_GT(std::stoul(s.Say(i, "furthest")), std::stoul(s.Say(i, "bytes")) / 2);
      EXPECT_EQ(s.Say(i, "stopped_at"), "0");
    }
  }
}

// A voice file of the game's own goes through the game's loader and pitch
// step and plays at its own rate.
TEST(Scene, OrdinaryVoiceFileGoesThroughTheGamesLoader) {
  const Scene& s = RunWith(1);
  EXPECT_EQ(s.Say(3, "file"), "Vo\\scene\\tone.wav");
  EXPECT_EQ(s.Say(3, "loader"), "game");
  EXPECT_EQ(s.Say(3, "pitch_step"), "1");
  EXPECT_EQ(s.Say(3, "played"), "1");
  EXPECT_EQ(s.Say(3, "format_rate"), "22050");
  EXPECT_EQ(s.Say(3, "frequency"), "22050");
}

// Texts the player reads: the book's two pages, the note, the journal page,
// the same page again (not read), and the page with the same entries in
// another order, cut short by closing the window.
struct Page {
  const char* name;
  const char* text;  // as spoken (the log keeps no trailing blanks)
};
const Page Pages[] = {
    {"book.page0",
     "A Short History of Balmora. Balmora stands on the Odai river, in the  heart of the West Gash.."},
    {"book.page1", "Its great houses keep their halls here."},
    {"note", "Meet me at the silt strider port at  dawn.. F."},
    {"journal.page0", "Caius Cosades sent me to Balmora.   Fargoth lost his best ring."},
    {"journal.page1", "Fargoth lost his best ring.   Caius Cosades sent me to Balmora."},
};

TEST(Scene, EachPageIsReadOnceInThePlayersVoice) {
  const Scene& s = RunWith(1);
  int next = 4;  // behind the lines and the game's own file
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(Pages[i].name);
    const std::string name = Pages[i].name;
    ASSERT_EQ(ReportValue(s.report, name + ".said"), "1");
    const int say = std::stoi(ReportValue(s.report, name + ".say"));
    EXPECT_EQ(say, next);
    // A page longer than a first piece is read in pieces, one after the other.
    const std::string pieces = ReportValue(s.report, name + ".says");
    next = say + (pieces.empty() ? 1 : std::stoi(pieces));
    EXPECT_EQ(s.Say(say, "speaker"), "Indoril Veth");
    EXPECT_EQ(s.Say(say, "voice"), "Quorrim Male");  // documents by the dialogue voice of the player's sex
    EXPECT_EQ(s.Say(say, "loader"), "plugin");
    EXPECT_EQ(s.Say(say, "played"), "1");
    EXPECT_EQ(s.Say(say, "frequency"), "43800");  // an Imperial man: the male base only
  }
  EXPECT_EQ(ReportValue(s.report, "journal.page0_again.said"), "0");
  // The wrappers hand the game the opening routines' own results.
  EXPECT_EQ(ReportValue(s.report, "book.open_result"), "5EED0600");
  EXPECT_EQ(ReportValue(s.report, "note.open_result"), "5EED0400");
}

// Each page once, and each long text once however many pieces it is said in.
TEST(Scene, LogShowsEachPageOnce) {
  const Scene& s = RunWith(1);
  const std::vector<std::string> reading = SpeechLog(s, true);
  std::vector<std::string> expected;
  for (const Page& p : Pages) {
    expected.push_back(std::string("MORROWIND::Preparing document text: ") + p.text);
    expected.push_back("MORROWIND::Player is Male");
    expected.push_back(std::string("EVENT::Trying to speak: ") + p.text);
  }
  // The long line, then the long page (the log keeps its first 1023 characters).
  const std::string longLine = "EVENT::Trying to speak: Strength is the only thing an orc respects, outlander,";
  const std::string longPage = "A Guide to Balmora. Balmora stands on the Odai river,";
  ASSERT_EQ(reading.size(), expected.size() + 6);
  EXPECT_EQ(std::vector<std::string>(reading.begin(), reading.begin() + expected.size()), expected);
  const std::vector<std::string> rest(reading.begin() + expected.size(), reading.end());
  EXPECT_EQ(rest[0], "MORROWIND::Preparing a dialogue text.");
  EXPECT_EQ(rest[1], "MORROWIND::Detected a Male NPC: Gharz gro-Shagdul, [ gharz gro-shagdul ]");
  EXPECT_EQ(rest[2].rfind(longLine, 0), 0u) << rest[2];
  EXPECT_EQ(rest[3].rfind("MORROWIND::Preparing document text: " + longPage, 0), 0u) << rest[3];
  EXPECT_EQ(rest[4], "MORROWIND::Player is Male");
  EXPECT_EQ(rest[5].rfind("EVENT::Trying to speak: " + longPage, 0), 0u) << rest[5];
}

// A long line is said in pieces, one after the other, each played to its
// end, all by its speaker, as loud and as high as the first (the Orc's
// offsets), each with its own peaks.
TEST(Scene, ALongLineIsSaidInPiecesThatPlayOneAfterTheOther) {
  const Scene& s = RunWith(1);
  ASSERT_EQ(ReportValue(s.report, "long_line.said"), "1");
  const int first = std::stoi(ReportValue(s.report, "long_line.first_say"));
  const int says = std::stoi(ReportValue(s.report, "long_line.says"));
  EXPECT_GE(says, 3);
  EXPECT_EQ(ReportValue(s.report, "long_line.pieces_alike"), "1");
  for (int i = first; i < first + says; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(s.Say(i, "speaker"), "Gharz gro-Shagdul");
    EXPECT_EQ(s.Say(i, "volume"), "180");
    EXPECT_EQ(s.Say(i, "frequency"), "39800");
    EXPECT_EQ(s.Say(i, "loader"), "plugin");
    EXPECT_EQ(std::stoul(s.Say(i, "peaks")), std::stoul(s.Say(i, "bytes")) / 2304);
    EXPECT_GT(std::stoul(s.Say(i, "furthest")), std::stoul(s.Say(i, "bytes")) / 2);
    EXPECT_EQ(s.Say(i, "stopped_at"), "0");  // ran out by itself: none cut the one before short
  }
}

// Closing the book while its long page is read stops the piece that plays,
// and no later piece is said.
TEST(Scene, ClosingTheBookEndsALongPageInPieces) {
  const Scene& s = RunWith(1);
  ASSERT_EQ(ReportValue(s.report, "long_page.said"), "1");
  EXPECT_EQ(ReportValue(s.report, "long_page.second_piece"), "1");
  EXPECT_EQ(ReportValue(s.report, "long_page.says"), "2");
  EXPECT_EQ(ReportValue(s.report, "long_page.playing_after_close"), "0");
  EXPECT_EQ(ReportValue(s.report, "long_page.said_after_close"), "0");
  EXPECT_EQ(ReportValue(s.report, "long_page.pieces_alike"), "1");
  const int first = std::stoi(ReportValue(s.report, "long_page.first_say"));
  EXPECT_EQ(s.Say(first, "speaker"), "Indoril Veth");
  EXPECT_EQ(s.Say(first, "frequency"), "43800");
}

// The window closes while the last page is read: its buffer stops at once,
// its play cursor short of the end.
TEST(Scene, ClosingTheTextWindowStopsTheReading) {
  const Scene& s = RunWith(1);
  EXPECT_EQ(ReportValue(s.report, "close.playing_before"), "1");
  EXPECT_EQ(ReportValue(s.report, "close.playing_after"), "0");
  const unsigned long cursor = std::stoul(ReportValue(s.report, "close.cursor_after"));
  EXPECT_GT(cursor, 0u);  // 0: the page had run out by itself
  EXPECT_LT(cursor, std::stoul(ReportValue(s.report, "close.bytes")));
}

// The dialogue camera scene alone: a partner 120 units away, the dialogue
// letting the world run with the AI off, zoom, turn, a view switch, one
// line and the exit, every frame through the game's patched code.
TEST(Scene, DialogueCameraFrameByFrame) {
  ScratchDir dir("scene-camera");
  for (const char* f : {"Morrowind.exe", "Vandrel.dll", "MLDRLib.dll"}) dir.CopyFromRuntime(f);
  char settings[1024];
  snprintf(settings, sizeof settings, Settings, 1, "");
  dir.Write("LirraCfg.ini", settings);
  sapistandin::SetVoices({"Quorrim Male", "Quorrim Female", "Quorrim Creature"});
  EXPECT_EQ(RunProgram("\"" + (dir / "Morrowind.exe") + "\" --report \"" + (dir / "report.txt") +
                           "\" --wait-log \"WRKTHREAD::Entering message loop.\" --volume 180 --camera-scene"
                           " --camera-trace camera.csv --camera-plot camera.png",
                       dir.path(), 240000),
            0);
  const std::string report = ReadFile(dir / "report.txt");
  auto value = [&](const std::string& name) { return ReportValue(report, "camera." + name); };
  EXPECT_EQ(value("fov_before"), "75");
  EXPECT_EQ(value("fov_min"), "37");          // 120 units, ZoomDistNPC 60: half of 75
  EXPECT_EQ(value("zoom_frames"), "38");      // one degree a frame
  EXPECT_LE(std::stoi(value("turn_frames")), 10);
  EXPECT_EQ(value("yaw_end"), "60");          // toward the partner
  EXPECT_EQ(value("pitch_end"), "6");         // its neck, lowered by the head's height over it
  EXPECT_EQ(value("frozen_frames"), "0");
  EXPECT_EQ(value("partner_looked_at_player"), "150");
  EXPECT_EQ(value("view_switched"), "1");
  EXPECT_EQ(value("fov_in_third_person"), "37");
  EXPECT_EQ(value("fov_after"), "75");
  EXPECT_EQ(value("controls_after"), "0");
  // The line is played louder while zoomed: (75 - 37) / 1.5 on the game's 180.
  EXPECT_EQ(value("line.said"), "1");
  EXPECT_EQ(ReportValue(report, "say.0.speaker"), "Selvil Sareloth");
  EXPECT_EQ(ReportValue(report, "say.0.volume"), "205");
  const std::string trace = ReadFile(dir / "camera.csv");
  EXPECT_EQ(trace.rfind("frame,event,menu,frozen,fov,yaw,pitch,mouse_dx,mouse_dy,", 0), 0u);
  EXPECT_EQ(ReadFile(dir / "camera.png").substr(0, 8), "\x89PNG\r\n\x1A\n");
}

// A crowd of five men of one race, each heard twice with the others between:
// with the pools as a new configurator file has them (every installed voice
// of the gender, variety 5), each keeps his voice, its pitch and rate and
// his buffer's frequency, and no two of them sound alike.
TEST(Scene, ACrowdOfOneRaceSpeaksWithAVoiceEachAndKeepsIt) {
  ScratchDir dir("scene-crowd");
  for (const char* f : {"Morrowind.exe", "Vandrel.dll", "MLDRLib.dll"}) dir.CopyFromRuntime(f);
  dir.Write("LirraCfg.ini",
            "[BaseConfig]\r\nVoiceFxByRace=1\r\n[RaceConfig]\r\nVPDarkElf=1000\r\n"
            "[LirraDlg]\r\nVoiceEnable=1\r\nAutoSpeak=1\r\nVoiceMaleName=Quorrim Male\r\n"
            "VoiceFemaleName=Quorrim Female\r\nVoiceCreatureName=Quorrim Creature\r\n"
            "VoiceMaleConfig=<pitch absmiddle=\"0\"><rate absspeed=\"0\"><volume level=\"100\">\r\n"
            "VoiceMalePool=*\r\nVoiceMaleVariety=5\r\n");
  using sapistandin::VoiceEntry;
  sapistandin::SetVoices({VoiceEntry("Quorrim Male", "Male"), VoiceEntry("Quorrim Female", "Female"),
                          VoiceEntry("Quorrim Creature", "Neutral"), VoiceEntry("Quorrim Elder", "Male", "Senior"),
                          VoiceEntry("Quorrim Matron", "Female", "Senior"), VoiceEntry("Quorrim Youth", "Male", "Child"),
                          VoiceEntry("Quorrim Girl", "Female", "Child")});
  ASSERT_EQ(RunProgram("\"" + (dir / "Morrowind.exe") + "\" --report \"" + (dir / "report.txt") +
                           "\" --wait-log \"WRKTHREAD::Entering message loop.\" --volume 180 --crowd --record crowd.wav",
                       dir.path(), 240000),
            0);
  const std::string report = ReadFile(dir / "report.txt");
  ASSERT_EQ(ReportValue(report, "crowd.done"), "1");
  auto sound = [&](int man, int round) {
    const std::string say = ReportValue(report, "crowd." + std::to_string(man) + "." + std::to_string(round) + ".say");
    std::string s;
    for (const char* field : {"voice", "voice_pitch", "voice_rate", "frequency", "speaker"})
      s += ReportValue(report, "say." + say + "." + field) + "/";
    return s;
  };
  std::set<std::string> sounds, voices;
  for (int man = 0; man < 5; ++man) {
    EXPECT_EQ(sound(man, 0), sound(man, 1)) << "man " << man;
    sounds.insert(sound(man, 0));
    voices.insert(sound(man, 0).substr(0, sound(man, 0).find('/')));
  }
  EXPECT_EQ(sounds.size(), 5u);
  EXPECT_GE(voices.size(), 2u);
  for (const std::string& v : voices) EXPECT_TRUE(v == "Quorrim Male" || v == "Quorrim Elder" || v == "Quorrim Youth") << v;
  EXPECT_EQ(ReadFile(dir / "crowd.wav").substr(0, 4), "RIFF");
}

}  // namespace
