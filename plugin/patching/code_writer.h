// Writing hook instructions into the game's code.
#pragma once
#include <windows.h>
#include <cstdint>

enum class PatchResult : uint32_t {
  Written = 0,
  PlaceUnreadable = 1,   // the place is not readable for the patch length
  PatchUnreadable = 2,   // the patch bytes are not readable
  SignatureDiffers = 3,  // nothing written
  NothingWritten = 4,    // not a single byte could be written
};

// Opcodes SetHook knows; their operand is the target (absolute, or relative
// to the end of the five bytes for call and jmp).
enum HookOpcode : uint8_t {
  OpPushImm = 0x68,
  OpLoadEax = 0xA1,
  OpStoreEax = 0xA3,
  OpMovEaxImm = 0xB8,
  OpCallRel = 0xE8,
  OpJmpRel = 0xE9,
};

inline constexpr uint32_t MaxExtraNops = 11;  // the patch buffer holds 16 bytes

// Writes opcode + operand and `extraNops` NOPs at moduleBase + offset, after
// the pattern matched there.  An opcode outside the table, or more NOPs than
// the buffer holds, writes nothing and reports PatchUnreadable: the patch
// bytes themselves are what is wrong.
PatchResult SetHook(uintptr_t moduleBase, uint32_t offset, const void* target, uint8_t opcode,
                    uint32_t extraNops, const char* pattern);

// Whether [address, address+length) is committed memory that may be read,
// asked of the memory manager (nothing is touched).
bool IsReadable(const void* address, uint32_t length);

// MatchPattern, after making sure every byte the pattern covers is readable:
// a place of another version may lie outside the mapped image.
bool PlaceMatches(const void* address, const char* pattern);

// Compares (when a pattern is given) and writes `length` bytes.
PatchResult ApplyPatch(void* address, const void* bytes, uint32_t length, const char* pattern);

// Copies region by region, making a page writable only where it is not, and
// flushes the instruction cache over what was written.  Returns the count of
// bytes copied before a step failed.
uint32_t WriteCodeBytes(void* destination, const void* source, uint32_t length, bool restoreProtection);

// The one place that changes page protection: makes [address, address+size)
// writable and executable for its lifetime, and puts the old protection back
// at the end when asked to.
class PageProtectionGuard {
 public:
  PageProtectionGuard(void* address, SIZE_T size, bool restore);
  ~PageProtectionGuard();
  PageProtectionGuard(const PageProtectionGuard&) = delete;
  PageProtectionGuard& operator=(const PageProtectionGuard&) = delete;
  bool writable() const { return writable_; }
  // False when the old protection could not be put back.
  bool Release();

 private:
  void* address_;
  SIZE_T size_;
  DWORD oldProtection_ = 0;
  bool writable_ = false;
  bool restore_;
  bool changed_ = false;
};
