#include "configurator/key_names.h"

// Rows of eight codes, the first code of each row in the comment.
const char* const KeyNameTable[256] = {
    "", "LBUTTON", "RBUTTON", "CANCEL", "MBUTTON", "XBUTTON1", "XBUTTON2", "_",  // 0x00
    "BACK", "TAB", "_", "_", "CLEAR", "ENTER", "_", "_",  // 0x08
    "SHIFT", "CONTROL", "ALT", "PAUSE", "CAPITAL", "IME_HANGUL", "_", "JUNJA",  // 0x10
    "FINAL", "IME_KANJI", "_", "ESCAPE", "CONVERT", "NONCONVERT", "ACCEPT", "MODECHANGE",  // 0x18
    "SPACE", "PRIOR", "NEXT", "END", "HOME", "LEFT", "UP", "RIGHT",  // 0x20
    "DOWN", "SELECT", "PRINT", "EXECUTE", "SNAPSHOT", "INSERT", "DELETE", "HELP",  // 0x28
    "0", "1", "2", "3", "4", "5", "6", "7",  // 0x30
    "8", "9", "_", "_", "_", "_", "_", "_",  // 0x38
    "_", "A", "B", "C", "D", "E", "F", "G",  // 0x40
    "H", "I", "J", "K", "L", "M", "N", "O",  // 0x48
    "P", "Q", "R", "S", "T", "U", "V", "W",  // 0x50
    "X", "Y", "Z", "LWIN", "RWIN", "APPS", "_", "SLEEP",  // 0x58
    "NUMPAD_0", "NUMPAD_1", "NUMPAD_2", "NUMPAD_3", "NUMPAD_4", "NUMPAD_5", "NUMPAD_6", "NUMPAD_7",  // 0x60
    "NUMPAD_8", "NUMPAD_9", "MULTIPLY", "ADD", "SEPARATOR", "SUBTRACT", "DECIMAL", "DIVIDE",  // 0x68
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8",  // 0x70
    "F9", "F10", "F11", "F12", "F13", "F14", "F15", "F16",  // 0x78
    "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24",  // 0x80
    "_", "_", "_", "_", "_", "_", "_", "_",  // 0x88
    "NUMLOCK", "SCROLL", "_", "_", "_", "_", "_", "_",  // 0x90
    "_", "_", "_", "_", "_", "_", "_", "_",  // 0x98
    "LSHIFT", "RSHIFT", "LCONTROL", "RCONTROL", "LALT", "RALT", "BROWSER_BACK", "BROWSER_FORWARD",  // 0xA0
    "BROWSER_REFRESH", "BROWSER_STOP", "BROWSER_SEARCH", "BROWSER_FAVORITES", "BROWSER_HOME", "VOLUME_MUTE", "VOLUME_DOWN", "VOLUME_UP",  // 0xA8
    "MEDIA_NEXT_TRACK", "MEDIA_PREV_TRACK", "MEDIA_STOP", "MEDIA_PLAY_PAUSE", "LAUNCH_MAIL", "LAUNCH_MEDIA_SELECT", "LAUNCH_APP1", "LAUNCH_APP2",  // 0xB0
    "_", "_", "OEM_1", "OEM_PLUS", "OEM_COMMA", "OEM_MINUS", "OEM_PERIOD", "OEM_2",  // 0xB8
    "OEM_3", "_", "_", "_", "_", "_", "_", "_",  // 0xC0
    "_", "_", "_", "_", "_", "_", "_", "_",  // 0xC8
    "_", "_", "_", "_", "_", "_", "_", "_",  // 0xD0
    "_", "_", "_", "OEM_4", "OEM_5", "OEM_6", "OEM_7", "OEM_8",  // 0xD8
    "_", "_", "OEM_102", "_", "_", "PROCESSKEY", "_", "PACKET",  // 0xE0
    "_", "_", "_", "_", "_", "_", "_", "_",  // 0xE8
    "_", "_", "_", "_", "_", "_", "ATTN", "CRSEL",  // 0xF0
    "EXSEL", "EREOF", "PLAY", "ZOOM", "NONAME", "PA1", "OEM_CLEAR", "_",  // 0xF8
};

uint8_t SidedKeyCode(uint8_t code, bool (*isDown)(uint8_t code)) {
  // The key-down message names only the generic key; which of the two is
  // down tells the keyboard state.
  if (code == 0x12) code = isDown(0xA4) ? 0xA4 : 0xA5;
  if (code == 0x10) code = isDown(0xA0) ? 0xA0 : 0xA1;
  if (code == 0x11) code = isDown(0xA2) ? 0xA2 : 0xA3;
  return code;
}
