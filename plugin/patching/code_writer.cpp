#include "plugin/patching/code_writer.h"

#include <cstring>

#include "plugin/patching/pattern.h"

namespace {
bool IsWritable(DWORD protection) {
  // Write-copy pages (0x08, 0x80) are left out on purpose: writing through
  // them would work, but an image page shown as write-copy has not been made
  // private yet, and re-protecting it is what the system expects of a patcher.
  const DWORD base = protection & 0xFF;
  return base == PAGE_READWRITE || base == PAGE_EXECUTE_READWRITE;
}
}  // namespace

// Asks the memory manager rather than touching the bytes (IsBadReadPtr):
// probing by fault would swallow guard pages and depends on exception
// dispatch inside the loader lock.
bool IsReadable(const void* address, uint32_t length) {
  const uint8_t* at = static_cast<const uint8_t*>(address);
  const uint8_t* end = at + length;
  if (!at || end < at) return false;
  while (at < end) {
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(at, &region, sizeof region) == 0) return false;
    if (region.State != MEM_COMMIT) return false;
    const DWORD p = region.Protect;
    if ((p & (PAGE_GUARD | PAGE_NOACCESS)) || p == 0) return false;
    at = static_cast<const uint8_t*>(region.BaseAddress) + region.RegionSize;
  }
  return true;
}

bool PlaceMatches(const void* address, const char* pattern) {
  return IsReadable(address, PatternSpan(pattern)) && MatchPattern(address, pattern);
}

PageProtectionGuard::PageProtectionGuard(void* address, SIZE_T size, bool restore)
    : address_(address), size_(size), restore_(restore) {
  changed_ = VirtualProtect(address_, size_, PAGE_EXECUTE_READWRITE, &oldProtection_) != 0;
  writable_ = changed_;
}

bool PageProtectionGuard::Release() {
  if (!changed_ || !restore_) return true;
  changed_ = false;
  DWORD unused;
  return VirtualProtect(address_, size_, oldProtection_, &unused) != 0;
}

PageProtectionGuard::~PageProtectionGuard() { Release(); }

uint32_t WriteCodeBytes(void* destination, const void* source, uint32_t length, bool restoreProtection) {
  uint8_t* to = static_cast<uint8_t*>(destination);
  const uint8_t* from = static_cast<const uint8_t*>(source);
  uint32_t written = 0;
  while (written < length) {
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(to + written, &region, sizeof region) == 0) break;
    const uintptr_t regionEnd = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
    const uint32_t inRegion = static_cast<uint32_t>(regionEnd - reinterpret_cast<uintptr_t>(to + written));
    const uint32_t chunk = length - written < inRegion ? length - written : inRegion;
    if (IsWritable(region.Protect)) {
      std::memcpy(to + written, from + written, chunk);
    } else {
      PageProtectionGuard guard(to + written, chunk, restoreProtection);
      if (!guard.writable()) break;
      std::memcpy(to + written, from + written, chunk);
      if (!guard.Release()) {
        written += chunk;
        break;
      }
    }
    written += chunk;
  }
  // The game's threads run on; a processor that cached the old bytes must
  // see the new ones.
  if (written) FlushInstructionCache(GetCurrentProcess(), destination, written);
  return written;
}

PatchResult ApplyPatch(void* address, const void* bytes, uint32_t length, const char* pattern) {
  const uint32_t compared = pattern ? PatternSpan(pattern) : 0;
  if (!IsReadable(address, compared > length ? compared : length)) return PatchResult::PlaceUnreadable;
  if (!IsReadable(bytes, length)) return PatchResult::PatchUnreadable;
  if (pattern && !MatchPattern(address, pattern)) return PatchResult::SignatureDiffers;
  return WriteCodeBytes(address, bytes, length, true) == 0 ? PatchResult::NothingWritten : PatchResult::Written;
}

PatchResult SetHook(uintptr_t moduleBase, uint32_t offset, const void* target, uint8_t opcode,
                    uint32_t extraNops, const char* pattern) {
  uint8_t patch[16];
  std::memset(patch, 0x90, sizeof patch);
  const uintptr_t site = moduleBase + offset;
  const uintptr_t to = reinterpret_cast<uintptr_t>(target);
  uint32_t operand;
  switch (opcode) {
    case OpPushImm:
    case OpLoadEax:
    case OpStoreEax:
    case OpMovEaxImm:
      operand = static_cast<uint32_t>(to);
      break;
    case OpCallRel:
    case OpJmpRel:
      operand = static_cast<uint32_t>(to - (site + 5));
      break;
    default:
      return PatchResult::PatchUnreadable;
  }
  if (extraNops > MaxExtraNops) return PatchResult::PatchUnreadable;
  patch[0] = opcode;
  std::memcpy(patch + 1, &operand, sizeof operand);
  return ApplyPatch(reinterpret_cast<void*>(site), patch, 5 + extraNops, pattern);
}
