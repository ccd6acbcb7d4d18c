// Hook instructions and writing into protected code.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "plugin/patching/code_writer.h"

namespace {

constexpr char Signature[] = "8A88D600000084C90F85";
constexpr uint8_t SignatureBytes[] = {0x8A, 0x88, 0xD6, 0x00, 0x00, 0x00, 0x84, 0xC9, 0x0F, 0x85};

// Two pages: code (read-execute unless asked otherwise) holding the
// signature at `site`, and a page after it.
struct CodePages {
  explicit CodePages(DWORD protection = PAGE_EXECUTE_READ) {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    page = si.dwPageSize;
    base = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    std::memset(base, 0xCC, 2 * page);
    site = base + 0x100;
    std::memcpy(site, SignatureBytes, sizeof SignatureBytes);
    DWORD old;
    VirtualProtect(base, 2 * page, protection, &old);
  }
  ~CodePages() { VirtualFree(base, 0, MEM_RELEASE); }
  DWORD Protection(const void* at) const {
    MEMORY_BASIC_INFORMATION m;
    VirtualQuery(at, &m, sizeof m);
    return m.Protect;
  }
  uint8_t* base;
  uint8_t* site;
  DWORD page;
};

int32_t Rel(const uint8_t* at) {
  int32_t v;
  std::memcpy(&v, at, 4);
  return v;
}

TEST(SetHook, WritesEachOpcodeWithItsOperandAndNops) {
  const struct { uint8_t opcode; bool relative; uint32_t nops; } cases[] = {
      {OpCallRel, true, 1}, {OpJmpRel, true, 0}, {OpPushImm, false, 0},
      {OpLoadEax, false, 2}, {OpStoreEax, false, 5}, {OpMovEaxImm, false, 0}};
  for (const auto& c : cases) {
    CodePages code;
    uint8_t* target = code.base + 0x1234;
    ASSERT_EQ(SetHook(reinterpret_cast<uintptr_t>(code.base), 0x100, target, c.opcode, c.nops, Signature),
              PatchResult::Written);
    EXPECT_EQ(code.site[0], c.opcode);
    const uint32_t expected = c.relative ? static_cast<uint32_t>(target - (code.site + 5))
                                         : static_cast<uint32_t>(reinterpret_cast<uintptr_t>(target));
    EXPECT_EQ(static_cast<uint32_t>(Rel(code.site + 1)), expected) << std::hex << int(c.opcode);
    for (uint32_t i = 0; i < c.nops; ++i) EXPECT_EQ(code.site[5 + i], 0x90);
    // Bytes after the patch are compared, never changed.
    EXPECT_EQ(std::memcmp(code.site + 5 + c.nops, SignatureBytes + 5 + c.nops, 10 - 5 - c.nops), 0);
    EXPECT_EQ(code.Protection(code.site), static_cast<DWORD>(PAGE_EXECUTE_READ));
  }
}

TEST(SetHook, RefusesWhatItCannotWrite) {
  CodePages code(PAGE_EXECUTE_READWRITE);
  const uintptr_t base = reinterpret_cast<uintptr_t>(code.base);
  // Another version's bytes, or a place some other program patched first.
  code.site[3] ^= 1;
  EXPECT_EQ(SetHook(base, 0x100, code.base, OpCallRel, 1, Signature), PatchResult::SignatureDiffers);
  EXPECT_EQ(code.site[0], 0x8A);
}

TEST(SetHook, UnknownOpcodeOrTooManyNopsWritesNothing) {
  CodePages code(PAGE_EXECUTE_READWRITE);
  const uintptr_t base = reinterpret_cast<uintptr_t>(code.base);
  EXPECT_NE(SetHook(base, 0x100, code.base, 0xEB, 0, Signature), PatchResult::Written);
  EXPECT_NE(SetHook(base, 0x100, code.base, OpCallRel, MaxExtraNops + 1, Signature), PatchResult::Written);
  EXPECT_EQ(std::memcmp(code.site, SignatureBytes, sizeof SignatureBytes), 0);
}

TEST(ApplyPatch, FailureCodes) {
  CodePages code;
  const uint8_t patch[5] = {0xE8, 1, 2, 3, 4};
  DWORD old;
  VirtualProtect(code.base + code.page, code.page, PAGE_NOACCESS, &old);
  // The place runs into an unreadable page.
  EXPECT_EQ(ApplyPatch(code.base + code.page - 2, patch, 5, nullptr), PatchResult::PlaceUnreadable);
  EXPECT_EQ(ApplyPatch(code.site, code.base + code.page, 5, nullptr), PatchResult::PatchUnreadable);
  // The patch fits, but the signature to compare runs into the unreadable page.
  uint8_t* nearEnd = code.base + code.page - 7;
  VirtualProtect(code.base, code.page, PAGE_READWRITE, &old);
  std::memcpy(nearEnd, SignatureBytes, 7);
  VirtualProtect(code.base, code.page, PAGE_EXECUTE_READ, &old);
  EXPECT_FALSE(PlaceMatches(nearEnd, Signature));
  EXPECT_EQ(ApplyPatch(nearEnd, patch, 5, Signature), PatchResult::PlaceUnreadable);
  EXPECT_EQ(ApplyPatch(code.site, patch, 5, "8A88D7"), PatchResult::SignatureDiffers);
  // Without a pattern nothing is compared.
  EXPECT_EQ(ApplyPatch(code.site, patch, 5, nullptr), PatchResult::Written);
  EXPECT_EQ(std::memcmp(code.site, patch, 5), 0);

  // A view that can never become writable.
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, code.page, nullptr);
  ASSERT_NE(mapping, nullptr);
  void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(ApplyPatch(view, patch, 5, nullptr), PatchResult::NothingWritten);
  UnmapViewOfFile(view);
  CloseHandle(mapping);
}

TEST(WriteCodeBytes, AcrossRegionsEachKeepsItsProtection) {
  CodePages code;
  DWORD old;
  // First page writable data, second read-execute code: two regions.
  VirtualProtect(code.base, code.page, PAGE_READWRITE, &old);
  uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  uint8_t* at = code.base + code.page - 4;
  EXPECT_EQ(WriteCodeBytes(at, bytes, sizeof bytes, true), sizeof bytes);
  EXPECT_EQ(std::memcmp(at, bytes, sizeof bytes), 0);
  EXPECT_EQ(code.Protection(code.base), static_cast<DWORD>(PAGE_READWRITE));
  EXPECT_EQ(code.Protection(code.base + code.page), static_cast<DWORD>(PAGE_EXECUTE_READ));
}

TEST(WriteCodeBytes, WithoutRestoreThePageStaysWritable) {
  CodePages code;
  uint8_t bytes[2] = {0x90, 0x90};
  EXPECT_EQ(WriteCodeBytes(code.site, bytes, 2, false), 2u);
  const DWORD now = code.Protection(code.site);
  EXPECT_TRUE(now == PAGE_EXECUTE_READWRITE || now == PAGE_EXECUTE_WRITECOPY) << std::hex << now;
}

TEST(PageProtectionGuard, RestoresTheOldProtection) {
  CodePages code;
  {
    PageProtectionGuard guard(code.site, 5, true);
    ASSERT_TRUE(guard.writable());
    code.site[0] = 0xC3;
  }
  EXPECT_EQ(code.Protection(code.site), static_cast<DWORD>(PAGE_EXECUTE_READ));
  EXPECT_EQ(code.site[0], 0xC3);
}

}  // namespace
