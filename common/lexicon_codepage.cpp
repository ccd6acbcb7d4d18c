#include "common/lexicon_codepage.h"

#include <windows.h>

#include <cstring>

void SystemLexiconAlphabet(LexiconAlphabet& alphabet) {
  AsciiLexiconAlphabet(alphabet);
  for (int c = 0x80; c < 0x100; ++c) {
    const char byte = static_cast<char>(c);
    // A lead byte of a double-byte code page: kept as a letter, so that a
    // name in such a script is one word.
    if (IsDBCSLeadByte(static_cast<BYTE>(c))) continue;
    alphabet.kind[c] = LexiconOther;
    wchar_t wide = 0;
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &byte, 1, &wide, 1) != 1) continue;
    if (wide == 0x2019 || wide == 0x2018 || wide == 0x02BC) {  // ’ ‘ ʼ
      alphabet.kind[c] = LexiconApostrophe;
      alphabet.fold[c] = '\'';
    } else if (wide == 0x00A0) {
      alphabet.kind[c] = LexiconBlank;
      alphabet.fold[c] = ' ';
    } else if (IsCharAlphaNumericW(wide)) {
      alphabet.kind[c] = LexiconLetter;
      wchar_t lower = wide;
      CharLowerBuffW(&lower, 1);
      char folded = 0;
      BOOL lost = FALSE;
      if (WideCharToMultiByte(CP_ACP, 0, &lower, 1, &folded, 1, nullptr, &lost) == 1 && !lost)
        alphabet.fold[c] = static_cast<uint8_t>(folded);
    }
  }
}

bool LexiconTextIsUtf8(const char* text, size_t size) {
  if (size == 0) return true;
  if (size > 0x7FFFFFFF) return false;
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, static_cast<int>(size), nullptr, 0) > 0;
}

int LexiconFormToCodePage(const char* text, size_t length, bool utf8, char* out, size_t capacity) {
  // The game's text is in the system code page; where that is UTF-8 itself,
  // the file's bytes are already right.
  if (!utf8 || GetACP() == CP_UTF8) {
    if (length > capacity) return -1;
    std::memcpy(out, text, length);
    return static_cast<int>(length);
  }
  if (length == 0) return 0;
  // A character of the code page takes at least one byte of UTF-8 and at
  // most three for each of its bytes.
  constexpr size_t WideMax = 4 * (LexiconSpokenMax + 1);
  if (length > 4 * capacity || length > WideMax) return -1;
  wchar_t wide[WideMax];
  const int units = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), wide, WideMax);
  if (units <= 0) return -1;
  BOOL lost = FALSE;
  const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, units, out, static_cast<int>(capacity),
                                        nullptr, &lost);
  return bytes > 0 && !lost ? bytes : -1;
}
