#include "plugin/speech/voice_channel.h"

// Made zero by attach, owned by the worker once it runs.
VoiceChannel VoiceMaleDlg;
VoiceChannel VoiceFemaleDlg;
VoiceChannel VoiceCreatureDlg;
VoiceChannel VoiceDoc;
