// LirraCfg.ini as the plug-in reads it.
#include <gtest/gtest.h>

#include <cstring>

#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/speech/voice_channel.h"
#include "support/plugin_log.h"
#include "support/test_support.h"

using testsupport::ScratchDir;

namespace {

// Every read starts from a freshly attached plug-in: defaults in the record,
// channels zero-filled; and, as attach does, the voice keys are then handed
// to the channels.
void ReadFresh(const std::string& path) {
  Settings = PluginDefaults();
  for (VoiceChannel* c : AllChannels) std::memset(c, 0, sizeof *c);
  ReadSettings(path.c_str());
  CopyVoiceSettings(Settings);
}

// What the configurator writes when nothing was changed.
const char ConfiguratorDefaults[] =
    "[BaseConfig]\r\nSpeakKeyCode=29346\r\nSilenceKeyCode=29602\r\nDocVoiceAsDlg=1\r\nVoiceFxByRace=1\r\n"
    "TTSBoundPitchDS=1\r\nAlwReadOpenJnl=0\r\nStopSpkOnClose=1\r\nDlgSwitchToFP=1\r\nDlgEnableZoom=1\r\n"
    "SpeakInPieces=1\r\n"
    "LangIndex=0\r\nVPBaseMale=0\r\nVPBaseFemale=0\r\nVPBaseCreature=0\r\nMaxDialogueFOV=75\r\n"
    "MinDialogueFOV=20\r\nConfigAppName=Sethrim.exe\r\nGameInstDir=\r\n"
    "[PauseConfig]\r\nMPauseChargen=1\r\nMPauseService=1\r\nMPauseResting=1\r\nMPauseJournal=1\r\n"
    "MPauseDialogue=0\r\nMPauseContainer=0\r\nMPauseInventory=0\r\nMPauseDocuments=1\r\nMPauseMessages=1\r\n"
    "MPauseOptions=1\r\n"
    "[RaceConfig]\r\nVPOrc=-8000\r\nVPNord=-6000\r\nVPBreton=-2000\r\nVPKhajiit=4000\r\nVPDarkElf=0\r\n"
    "VPHighElf=1000\r\nVPWoodElf=8000\r\nVPArgonian=-1000\r\nVPImperial=-3000\r\nVPRedguard=-4000\r\n"
    "[LirraDlg]\r\nVoiceEnable=1\r\nAutoSpeak=1\r\nVoiceMaleName=\r\nVoiceFemaleName=\r\nVoiceCreatureName=\r\n"
    "VoiceMaleConfig=\r\nVoiceFemaleConfig=\r\nVoiceCreatureConfig=\r\n"
    "[LirraDoc]\r\nVoiceEnable=1\r\nAutoSpeak=1\r\nVoiceName=\r\nVoiceConfig=\r\n";

TEST(Settings, NoFileGivesThePluginDefaults) {
  ScratchDir dir("settings-none");
  ReadFresh(dir / "LirraCfg.ini");
  EXPECT_EQ(Settings.SpeakKeyCode, 112);    // F1
  EXPECT_EQ(Settings.SilenceKeyCode, 113);  // F2
  EXPECT_EQ(Settings.LangIndex, 1);         // English
  EXPECT_EQ(Settings.VoiceFxByRace, 0);
  EXPECT_EQ(Settings.DocVoiceAsDlg, 1);
  EXPECT_EQ(Settings.ZoomDistNPC, 60);
  EXPECT_EQ(Settings.SmoothZooming, 1);
  EXPECT_EQ(Settings.SpeakInPieces, 1);  // long lines start at once
  EXPECT_STREQ(Settings.ConfigAppName, "Sethrim.exe");
  for (int i = 0; i < 10; ++i) {
    // Every menu freezes the world as the game does, except dialogue.
    EXPECT_EQ(Settings.MPause[i], i == MenuDialogue ? 0 : 1) << i;
    EXPECT_EQ(Settings.MKeepAi[i], 0) << i;
    EXPECT_EQ(Settings.RacePitch[i], 0) << i;
  }
  for (VoiceChannel* c : AllChannels) {
    EXPECT_EQ(c->enabled, 0u);
    EXPECT_EQ(c->autoSpeak, 1u);
    EXPECT_STREQ(c->voiceName, "?");
    EXPECT_STREQ(c->voiceConfig, "");
  }
}

TEST(Settings, ConfiguratorDefaultsGiveLeftControlChords) {
  ScratchDir dir("settings-configurator");
  dir.Write("LirraCfg.ini", ConfiguratorDefaults);
  ReadFresh(dir / "LirraCfg.ini");
  EXPECT_EQ(Settings.SpeakKeyCode, 0x72A2);    // left Control + F3
  EXPECT_EQ(Settings.SilenceKeyCode, 0x73A2);  // left Control + F4
  EXPECT_EQ(Settings.LangIndex, 0);
  EXPECT_EQ(Settings.VoiceFxByRace, 1);
  EXPECT_EQ(Settings.MPause[MenuDialogue], 0);
  EXPECT_EQ(Settings.MPause[MenuContainer], 0);
  EXPECT_EQ(Settings.RacePitch[RaceOrc], -8000);
  EXPECT_EQ(Settings.RacePitch[RaceWoodElf], 8000);
  // Keys only the plug-in knows keep its defaults.
  EXPECT_EQ(Settings.SmoothZooming, 1);
  EXPECT_EQ(Settings.SpeakAfterZoom, 0);
  EXPECT_EQ(Settings.ZoomDistNPC, 60);
  for (VoiceChannel* c : AllChannels) {
    EXPECT_EQ(c->enabled, 1u);
    EXPECT_STREQ(c->voiceName, "");
  }
}

TEST(Settings, ValuesAreCutToTheirFields) {
  ScratchDir dir("settings-cut");
  const std::string longName(200, 'n');
  const std::string longApp(100, 'a');
  dir.Write("LirraCfg.ini",
            "[BaseConfig]\r\nVPBaseMale=70000\r\nVPBaseFemale=-32769\r\nVPBaseCreature=-100\r\nConfigAppName=" +
                longApp + "\r\n[RaceConfig]\r\nVPNord=65536\r\n[LirraDlg]\r\nVoiceEnable=1\r\nVoiceMaleName=" +
                longName + "\r\nVoiceFemaleConfig=<pitch absmiddle=\"-2\"><rate absspeed=\"3\"><volume level=\"80\">\r\n"
                "[LirraDoc]\r\nVoiceEnable=0\r\nAutoSpeak=0\r\nVoiceName=Doc Voice\r\n");
  ReadFresh(dir / "LirraCfg.ini");
  EXPECT_EQ(Settings.VPBaseMale, static_cast<int16_t>(70000));  // low 16 bits: 4464
  EXPECT_EQ(Settings.VPBaseMale, 4464);
  EXPECT_EQ(Settings.VPBaseFemale, 32767);
  EXPECT_EQ(Settings.VPBaseCreature, -100);
  EXPECT_EQ(Settings.RacePitch[RaceNord], 0);
  EXPECT_EQ(std::string(Settings.ConfigAppName), longApp.substr(0, 63));
  EXPECT_EQ(std::string(VoiceMaleDlg.voiceName), longName.substr(0, 127));
  EXPECT_STREQ(VoiceFemaleDlg.voiceConfig, "<pitch absmiddle=\"-2\"><rate absspeed=\"3\"><volume level=\"80\">");
  EXPECT_STREQ(VoiceDoc.voiceName, "Doc Voice");
  EXPECT_EQ(VoiceDoc.enabled, 0u);
  EXPECT_EQ(VoiceDoc.autoSpeak, 0u);
  EXPECT_EQ(VoiceCreatureDlg.enabled, 1u);
}

// Each menu kind's two flags are its own keys: every one set against the
// plug-in's default must come through, at its own place.
TEST(Settings, PauseAndKeepAiFlagsAreReadPerMenuKind) {
  ScratchDir dir("settings-pause");
  const char* const kinds[10] = {"Chargen",   "Service",   "Resting",   "Journal",  "Dialogue",
                                 "Container", "Inventory", "Documents", "Messages", "Options"};
  const PluginSettings defaults = PluginDefaults();
  std::string file = "[PauseConfig]\r\n";
  for (int i = 0; i < 10; ++i) {
    file += std::string("MPause") + kinds[i] + "=" + (defaults.MPause[i] ? "0" : "1") + "\r\n";
    file += std::string("MKeepAi") + kinds[i] + "=" + (defaults.MKeepAi[i] ? "0" : "1") + "\r\n";
  }
  dir.Write("LirraCfg.ini", file);
  ReadFresh(dir / "LirraCfg.ini");
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(Settings.MPause[i], !defaults.MPause[i]) << kinds[i];
    EXPECT_EQ(Settings.MKeepAi[i], !defaults.MKeepAi[i]) << kinds[i];
  }
}

TEST(Settings, NonNumbersReadAsTheProfileFunctionsGiveThem) {
  ScratchDir dir("settings-text");
  dir.Write("LirraCfg.ini", "[BaseConfig]\r\nSpeakKeyCode=abc\r\nsilencekeycode=-1\r\n");
  ReadFresh(dir / "LirraCfg.ini");
  EXPECT_EQ(Settings.SpeakKeyCode, 0);
  EXPECT_EQ(Settings.SilenceKeyCode, -1);  // keys match without regard to case
}

// A hand-edited negative zoom distance would let the zoom divide by zero:
// it reads as 0, and the log says so once.
TEST(Settings, NegativeZoomDistanceReadsAsZero) {
  ScratchDir dir("settings-zoom");
  const struct { const char* value; int32_t read; size_t logLines; } cases[] = {{"-40", 0, 1}, {"0", 0, 0}, {"45", 45, 0}};
  for (const auto& c : cases) {
    dir.Write("LirraCfg.ini", std::string("[BaseConfig]\r\nZoomDistNPC=") + c.value + "\r\n");
    const std::string log = dir / (std::string("loader-") + c.value + ".log");
    lstrcpynA(LogFilePath, log.c_str(), sizeof LogFilePath);
    ReadFresh(dir / "LirraCfg.ini");
    const std::vector<std::string> lines = testsupport::WrittenLog(log);
    LogFilePath[0] = 0;
    EXPECT_EQ(Settings.ZoomDistNPC, c.read) << c.value;
    ASSERT_EQ(lines.size(), c.logLines) << c.value;
    if (c.logLines) {
      EXPECT_EQ(lines[0], "DLLMAIN::ZoomDistNPC=-40 is below 0; 0 is used.");
    }
  }
}

}  // namespace
