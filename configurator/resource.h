// Resource ids of Sethrim.exe.  Controls are named as in the window's
// design (type prefix + subject), so each id says which control it is.
// The name after IDC_ is also the control's key in the text table
// (resources/localize.txt): a label or a button named here is captioned
// from the entries of its name, with nothing to add in the code (the build
// lists the names for the window, see CMakeLists.txt).
#pragma once

#define IDI_SETHRIM 1
#define IDB_FLAG_ENG 200
#define IDB_FLAG_RUS 201

// The main window and its pages.
#define IDD_fmTCfgMain 100
#define IDD_tsPageVoices 101
#define IDD_tsPageFilter 102
#define IDD_tsPageSettings 103
#define IDD_tsPageTest 104
#define IDD_tsPageSetup 105
#define IDD_tsPageAbout 106
#define IDD_tsPageNames 107
#define IDD_tsVDlgMale 111
#define IDD_tsVDlgFemale 112
#define IDD_tsVDlgCreature 113
#define IDD_tsVoiceDoc 114
#define IDD_sclbDSFilters 120

#define IDC_pcMainPageCtrl 1000
#define IDC_pcVDlgGenderPageCtrl 1001

// VOICES: one tab per voice.
#define IDC_cbVDlgMale 1010
#define IDC_stLblVDlgMalePitch 1011
#define IDC_tbVDlgPitchMale 1012
#define IDC_stLblVDlgMaleRate 1013
#define IDC_tbVDlgRateMale 1014
#define IDC_stLblVDlgMaleVolume 1015
#define IDC_tbVDlgVolumeMale 1016
#define IDC_stLblVDlgMaleVariety 1017
#define IDC_tbVDlgVarietyMale 1018
#define IDC_clVDlgPoolMale 1019
#define IDC_cbVDlgFemale 1020
#define IDC_stLblVDlgFemalePitch 1021
#define IDC_tbVDlgPitchFemale 1022
#define IDC_stLblVDlgFemaleRate 1023
#define IDC_tbVDlgRateFemale 1024
#define IDC_stLblVDlgFemaleVolume 1025
#define IDC_tbVDlgVolumeFemale 1026
#define IDC_stLblVDlgFemaleVariety 1027
#define IDC_tbVDlgVarietyFemale 1028
#define IDC_clVDlgPoolFemale 1029
#define IDC_cbVDlgCrea 1030
#define IDC_stLblVCreaPitch 1031
#define IDC_tbVDlgPitchCrea 1032
#define IDC_stLblVCreaRate 1033
#define IDC_tbVDlgRateCrea 1034
#define IDC_stLblVCreaVolume 1035
#define IDC_tbVDlgVolumeCrea 1036
#define IDC_stLblVCreaVariety 1037
#define IDC_tbVDlgVarietyCrea 1038
#define IDC_clVDlgPoolCrea 1039
#define IDC_cbVoiceDoc 1040
#define IDC_stLblVDocPitch 1041
#define IDC_tbVDocPitch 1042
#define IDC_stLblVDocRate 1043
#define IDC_tbVDocRate 1044
#define IDC_stLblVDocVolume 1045
#define IDC_tbVDocVolume 1046

// FILTERS: label and slider of each pitch, top to bottom.
#define IDC_sclbDSFilters 1099
#define IDC_stLblVPitchBaseMale 1100
#define IDC_tbBasePitchMale 1101
#define IDC_stLblVPitchBaseFemale 1102
#define IDC_tbBasePitchFemale 1103
#define IDC_stLblVPitchBaseCreature 1104
#define IDC_tbBasePitchCreature 1105
#define IDC_stLblVPitchOrc 1106
#define IDC_tbVPOrc 1107
#define IDC_stLblVPitchBreton 1108
#define IDC_tbVPBreton 1109
#define IDC_stLblVPitchKhajiit 1110
#define IDC_tbVPKhajiit 1111
#define IDC_stLblVPitchImperial 1112
#define IDC_tbVPImperial 1113
#define IDC_stLblVPitchRedguard 1114
#define IDC_tbVPRedguard 1115
#define IDC_stLblVPitchNord 1116
#define IDC_tbVPNord 1117
#define IDC_stLblVPitchArgonian 1118
#define IDC_tbVPArgonian 1119
#define IDC_stLblVPitchWoodElf 1120
#define IDC_tbVPWoodElf 1121
#define IDC_stLblVPitchDarkElf 1122
#define IDC_tbVPDarkElf 1123
#define IDC_stLblVPitchHighElf 1124
#define IDC_tbVPHighElf 1125

// PARAMETERS
#define IDC_stLblKeySpeak 1200
#define IDC_edKeyA_BS 1201
#define IDC_edKeyB_BS 1202
#define IDC_edKeyC_BS 1203
#define IDC_edKeyD_BS 1204
#define IDC_stLblKeyStop 1205
#define IDC_edKeyA_ES 1206
#define IDC_edKeyB_ES 1207
#define IDC_edKeyC_ES 1208
#define IDC_edKeyD_ES 1209
#define IDC_clGlobalFlags 1210

// TESTING
#define IDC_sbTstStrPrev 1300
#define IDC_sbTstStrNext 1301
#define IDC_cbTestRaceType 1302
#define IDC_cbTestVoice 1303
#define IDC_bHearTestVoice 1304
#define IDC_meTestText 1305
#define IDC_stLblTestSpeaker 1306
#define IDC_edTestSpeaker 1307

// INSTALLING
#define IDC_bInstall 1400
#define IDC_bUnInstall 1401
#define IDC_sbLngEng 1402
#define IDC_sbLngRus 1403
#define IDC_meInstMessages 1404

// INFORMATION
#define IDC_reHelpInfo 1500
#define IDC_cbVKeysList 1501

// NAMES: the lexicon's entries, the two forms of the chosen one, and what
// came of the last edit.
#define IDC_lvLexEntries 1600
#define IDC_edLexWritten 1601
#define IDC_edLexSpoken 1602
#define IDC_bLexAdd 1603
#define IDC_bLexChange 1604
#define IDC_bLexRemove 1605
#define IDC_bLexListen 1606
#define IDC_stLblLexStatus 1607
