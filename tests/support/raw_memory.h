// Reading and writing the game double's objects field by field, at offsets
// the tests write out themselves.
#pragma once
#include <cstdint>
#include <cstring>

namespace rawmemory {

inline uint32_t Addr(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

template <typename T>
void Put(uint8_t* object, uint32_t offset, T value) {
  std::memcpy(object + offset, &value, sizeof value);
}

template <typename T = uint32_t>
T Get(const uint8_t* object, uint32_t offset) {
  T v;
  std::memcpy(&v, object + offset, sizeof v);
  return v;
}

}  // namespace rawmemory
