#include "plugin/patching/hook_catalogue.h"

#include <cstring>
#include <iterator>

#include "plugin/frame/log.h"
#include "plugin/frame/plugin_state.h"
#include "plugin/frame/settings.h"
#include "plugin/game/documents.h"
#include "plugin/game/game_offsets.h"
#include "plugin/game/game_routines.h"
#include "plugin/patching/code_writer.h"
#include "plugin/patching/hook_stubs.h"
#include "plugin/patching/pattern.h"
#include "plugin/game/voice_playback.h"

namespace {


constexpr HookPlace MouseLook[] = {{0x169264, "8A85B205000084C00F85"}};
constexpr HookPlace VerticalDelta[] = {{0x169148, "84C0895C24200F84A400"}};
constexpr HookPlace HorizontalDelta[] = {{0x169120, "894C241C8B484C6A00E8"}};
constexpr HookPlace GoToJail[] = {{0x167F9D, "E87E2600008BCFE817F3"}};
constexpr HookPlace DialogueBegin[] = {{0x12935A, "668B1542347D0052E8C9"}};
constexpr HookPlace ViewMode[] = {{0x143A17, "E854EBFFFF8B4E38E8EC"}};
constexpr HookPlace AiState[] = {{0x121D7D, "8B88E4020000F6412408"}};
constexpr HookPlace AnimationGroup[] = {{0x12EB76, "DFE0F6C4417411899EB0"}};
constexpr HookPlace HeadTracking[] = {{0x16F68B, "E88002F0FF8B7F0485FF"}};
constexpr HookPlace JournalPage[] = {{0x1D644E, "6860725D00684480FFFF"}, {0x1D6377, "6860725D00684480FFFF"}};
constexpr HookPlace OpenDocument[] = {{0x2138FB, "E860F7FFFF83C4088BCE"}};
constexpr HookPlace DocumentLines[] = {{0x21375E, "E87D54F7FF8BD868CF80"}, {0x21378C, "E84F54F7FF8BD88B4520"}};
constexpr HookPlace OpenBook[] = {{0x0A2A15, "E88698100083C4045D59"}};
constexpr HookPlace BookLines[] = {{0x1AD9AF, "E82CB2FDFF8BF068CF80"}, {0x1ADAB3, "E828B1FDFF33C9668B0D"}};
constexpr HookPlace BookPageA[] = {{0x1AC36B, "6870C95A00683780FFFF"}, {0x1ABE9C, "6870C95A00683580FFFF"}};
constexpr HookPlace BookPageB[] = {{0x1AC358, "68C0C85A00683680FFFF"}, {0x1ABCBF, "68C0C85A00683580FFFF"}};
constexpr HookPlace DialogueText[] = {{0x00BE32, "E8C9F6FFFF5F5EC22C00"}};
constexpr HookPlace ExitMenu[] = {{0x1951AB, "E8A0020000??????????"}};
constexpr HookPlace MenuFreeze[] = {{0x01B3AF, "8A81D600000084C00F85"}};
constexpr HookPlace DocumentOpenClose[] = {{0x1AD630, "8B0D????????85C95674"}};
constexpr HookPlace LastMenuId[] = {{0x195244, "8B91E40200006689423C"}};
constexpr HookPlace VoiceFile[] = {{0x08C369, "E8425AF7FF568BE8E8BA"}};
constexpr HookPlace WaterRipples[] = {{0x11C896, "8A88D600000084C90F85"}};
constexpr HookPlace ActiveObjects[] = {{0x00F68D, "8A86D600000084C00F85"}};
constexpr HookPlace Shadows[] = {{0x0388D0, "8A88D6000000751384C9"}};
constexpr HookPlace Compass[] = {{0x1EB7BC, "8A88D600000083C40484"}};
constexpr HookPlace HeadTrackingInMenu[] = {{0x06F420, "8A81D600000084C00F85"}};
constexpr HookPlace InventoryExit[] = {{0x194C1D, "8A88B005000084C90F85"}};
constexpr HookPlace InventoryHint[] = {{0x01B3D6, "E875160000E870482200"}};
constexpr HookPlace VoicePitch[] = {{0x08C6B6, "E8A563F7FFA1DC677C00"}};

template <size_t N>
constexpr HookEntry Entry(const char* logLine, const HookPlace (&places)[N], uint8_t opcode, uint32_t nops,
                          const void* stub, bool onlyWithVoiceFx = false) {
  return HookEntry{logLine, places, static_cast<uint32_t>(N), opcode, nops, stub, onlyWithVoiceFx};
}

const void* Fn(void (*f)()) { return reinterpret_cast<const void*>(f); }
template <typename F>
const void* Fn(F* f) { return reinterpret_cast<const void*>(f); }

}  // namespace

// What the plug-in does to the game, in the order it is done.
const HookEntry HookCatalogue[] = {
    // The camera turn toward the dialogue partner rides on the game's mouse-look path.
    Entry("DLLMAIN::Setting hook on checking 'MouseLookDisabled' flag.", MouseLook, OpCallRel, 1, Fn(StubMouseLookCheck)),
    // The turn's vertical step stands in for the mouse's.
    Entry("DLLMAIN::Setting hook on camera`s vertical delta writing.", VerticalDelta, OpCallRel, 1, Fn(StubVerticalDelta)),
    // ... and its horizontal step.
    Entry("DLLMAIN::Setting hook on camera`s horizontal delta writing.", HorizontalDelta, OpCallRel, 2, Fn(StubHorizontalDelta)),
    // No arrest while the plug-in holds the world in a menu phase.
    Entry("DLLMAIN::Setting hook on checking 'GoToJail'.", GoToJail, OpCallRel, 0, Fn(StubGoToJailGate)),
    // Records the partner, starts zoom and turn.
    Entry("DLLMAIN::Setting hook on dialogue begin.", DialogueBegin, OpCallRel, 2, Fn(StubDialogueBegin)),
    // A view switch in dialogue keeps the zoomed field of view.
    Entry("DLLMAIN::Setting hook on changing view mode.", ViewMode, OpCallRel, 0, Fn(StubViewModeChange)),
    // The partner's own AI state decides, not the game's AI switch.
    Entry("DLLMAIN::Setting hook on AI state check.", AiState, OpCallRel, 5, Fn(StubAiStateCheck)),
    // The partner keeps its animation group while talking.
    Entry("DLLMAIN::Setting hook on NPC animation group change.", AnimationGroup, OpCallRel, 0, Fn(StubAnimationGroup)),
    // The speaker looks at the player.
    Entry("DLLMAIN::Setting hook on head tracking of NPC.", HeadTracking, OpCallRel, 0, Fn(StubHeadTracking)),
    // Journal pages are read once each (unless always asked for).
    Entry("DLLMAIN::Setting hook for finishing journal page.", JournalPage, OpPushImm, 0, Fn(&CaptureJournalPage)),
    // An opened document is read out once its lines are in.
    Entry("DLLMAIN::Setting hook for opening documents.", OpenDocument, OpCallRel, 0, Fn(&CaptureAndSpeakDocument)),
    // Every line of a document page passes through here.
    Entry("DLLMAIN::Setting hook on 'SendTextLine' for documents.", DocumentLines, OpCallRel, 0, Fn(StubSendTextLine)),
    // An opened book is read out once its lines are in.
    Entry("DLLMAIN::Setting hook for opening books.", OpenBook, OpCallRel, 0, Fn(&CaptureAndSpeakBook)),
    // Every line of a book page passes through here.
    Entry("DLLMAIN::Setting hook for parsing book lines (Hook 'SendTextLine').", BookLines, OpCallRel, 0, Fn(StubSendTextLine)),
    // A turned page is read out; one wrapper per game callback, one log line for both.
    Entry("DLLMAIN::Setting hook for book page changing.", BookPageA, OpPushImm, 0, Fn(&CaptureAndSpeakPageA)),
    Entry(nullptr, BookPageB, OpPushImm, 0, Fn(&CaptureAndSpeakPageB)),
    // Every NPC response and journal entry.
    Entry("DLLMAIN::Setting hook for DIALOGS and JOURNAL.", DialogueText, OpCallRel, 0, Fn(StubDialogueText)),
    // Leaving menu mode restores camera, controls and AI.
    Entry("DLLMAIN::Setting hook on exiting from menu mode.", ExitMenu, OpCallRel, 0, Fn(StubExitMenuMode)),
    // Which menus freeze the world.
    Entry("DLLMAIN::Setting hook for Menu mode animation freezing control.", MenuFreeze, OpCallRel, 1, Fn(StubMenuFreeze)),
    // Closing or opening a text document silences the reading.
    Entry("DLLMAIN::Setting hook for open_close any text document.", DocumentOpenClose, OpCallRel, 1, Fn(StubDocumentOpenClose)),
    // The menu pause needs to know which menu is open.
    Entry("DLLMAIN::Setting hook for getting last menu ID.", LastMenuId, OpCallRel, 1, Fn(StubLastMenuId)),
    // Synthesized speech is loaded as a voice file.
    Entry("DLLMAIN::Setting hook to loading voice file.", VoiceFile, OpCallRel, 0, Fn(&ProcessVoiceFile)),
    // Water, active objects, shadows and compass see menu mode only while frozen.
    Entry("DLLMAIN::Setting hook for pausing water riffles in menu mode.", WaterRipples, OpCallRel, 1, Fn(StubFreezeExtrasEax)),
    Entry("DLLMAIN::Setting hook for pausing active objects in menu mode.", ActiveObjects, OpCallRel, 1, Fn(StubFreezeExtrasEsi)),
    Entry("DLLMAIN::Setting hook for pausing shadows in menu mode.", Shadows, OpCallRel, 1, Fn(StubFreezeExtrasEax)),
    Entry("DLLMAIN::Setting hook for pausing compass in menu mode.", Compass, OpCallRel, 1, Fn(StubFreezeExtrasEax)),
    // Heads keep tracking in dialogue unless the dialogue menu pauses.
    Entry("DLLMAIN::Setting hook for allowing head tracking in menu mode.", HeadTrackingInMenu, OpCallRel, 1, Fn(StubHeadTrackingInMenu)),
    // The inventory can be left while the plug-in holds the controls.
    Entry("DLLMAIN::Setting hook for enabling exit from inventory with disabled controls.", InventoryExit, OpCallRel, 1, Fn(StubInventoryExit)),
    // In the menu phase inventory hints show although no object is focused.
    Entry("DLLMAIN::Setting hook for enabling hints in inventory when no an object focused.", InventoryHint, OpCallRel, 0, Fn(StubInventoryHintGate)),
    // The game's pitch is not applied a second time to the plug-in's speech.
    Entry("DLLMAIN::Setting hook to setting voice pitch.", VoicePitch, OpCallRel, 0, Fn(StubVoicePitchGate), true),
};
const uint32_t HookCatalogueSize = sizeof HookCatalogue / sizeof HookCatalogue[0];

namespace {
// What each written place held before, so that a refused start can put the
// game's code back before the library goes away: a hook left behind would
// lead into unmapped memory.
struct WrittenPlace {
  uint8_t* site;
  uint8_t original[16];
  uint32_t length;
};
WrittenPlace writtenPlaces[40];  // the catalogue has 35 places
uint32_t writtenCount = 0;
}  // namespace

void UndoHooks() {
  while (writtenCount > 0) {
    WrittenPlace& w = writtenPlaces[--writtenCount];
    WriteCodeBytes(w.site, w.original, w.length, true);
  }
}

uint32_t InstallHooks() {
  uint32_t failures = 0;
  writtenCount = 0;
  for (const HookEntry& entry : HookCatalogue) {
    if (entry.onlyWithVoiceFxByRace && Settings.VoiceFxByRace == 0) continue;
    if (entry.logLine) LOG_LINE("%s", entry.logLine);
    for (uint32_t i = 0; i < entry.placeCount; ++i) {
      const HookPlace& place = entry.places[i];
      uint8_t* site = reinterpret_cast<uint8_t*>(GameBase + place.offset);
      if (writtenCount == std::size(writtenPlaces)) {  // no room to keep its bytes: not written
        ++failures;
        continue;
      }
      WrittenPlace& record = writtenPlaces[writtenCount];
      record = {site, {}, 5 + entry.extraNops};
      // A matching signature covers the patch, so its bytes are readable.
      if (PlaceMatches(site, place.signature)) std::memcpy(record.original, site, record.length);
      const PatchResult result =
          SetHook(GameBase, place.offset, entry.stub, entry.opcode, entry.extraNops, place.signature);
      if (result == PatchResult::Written) ++writtenCount;
      failures += static_cast<uint32_t>(result);
    }
  }
  // Two import thunks confirm the version; the first is the game's allocator,
  // which voice-file substitution hands its records from.
  const uintptr_t allocator = GameBase + game_offsets::AllocatorThunk;
  if (PlaceMatches(reinterpret_cast<const void*>(allocator), DataPlaceSignature))
    GameAllocator = reinterpret_cast<GameAllocatorFn>(allocator);
  else
    ++failures;
  if (!PlaceMatches(reinterpret_cast<const void*>(GameBase + game_offsets::SecondThunk), DataPlaceSignature))
    ++failures;
  return failures;
}
