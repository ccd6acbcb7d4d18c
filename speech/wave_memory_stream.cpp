#include "speech/wave_memory_stream.h"

#include <cstring>
#include <new>

const GUID WaveFormatExFormatId = {0xc31adbae, 0x527f, 0x4ff5, {0xa2, 0x30, 0xf6, 0x2b, 0xb6, 0x1f, 0xf7, 0x0c}};

namespace {
constexpr uint32_t Limit = 0x7FFFFFFF;  // SAPI's positions are signed 32-bit where it asks
}

WaveMemoryStream* WaveMemoryStream::Create() { return new (std::nothrow) WaveMemoryStream; }

WaveMemoryStream::~WaveMemoryStream() {
  if (bytes_) HeapFree(GetProcessHeap(), 0, bytes_);
}

HRESULT WaveMemoryStream::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream || iid == IID_ISpStreamFormat) {
    *out = static_cast<ISpStreamFormat*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG WaveMemoryStream::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG WaveMemoryStream::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

bool WaveMemoryStream::Reserve(uint64_t size) {
  if (size > Limit) return false;
  if (size <= capacity_) return true;
  uint64_t grown = capacity_ ? capacity_ : 65536;
  while (grown < size) grown *= 2;
  if (grown > Limit) grown = Limit;
  HANDLE heap = GetProcessHeap();
  void* larger = bytes_ ? HeapReAlloc(heap, 0, bytes_, static_cast<SIZE_T>(grown))
                        : HeapAlloc(heap, 0, static_cast<SIZE_T>(grown));
  if (!larger) return false;
  bytes_ = static_cast<uint8_t*>(larger);
  capacity_ = static_cast<uint32_t>(grown);
  return true;
}

HRESULT WaveMemoryStream::Read(void* into, ULONG size, ULONG* read) {
  if (!into && size) return STG_E_INVALIDPOINTER;
  const ULONG n = position_ >= size_ ? 0 : (size < size_ - position_ ? size : size_ - position_);
  if (n) std::memcpy(into, bytes_ + position_, n);
  position_ += n;
  if (read) *read = n;
  return S_OK;
}

HRESULT WaveMemoryStream::Write(const void* from, ULONG size, ULONG* written) {
  if (written) *written = 0;
  if (!from && size) return STG_E_INVALIDPOINTER;
  const uint64_t end = static_cast<uint64_t>(position_) + size;
  if (!Reserve(end)) return STG_E_MEDIUMFULL;
  if (position_ > size_) std::memset(bytes_ + size_, 0, position_ - size_);
  if (size) std::memcpy(bytes_ + position_, from, size);
  position_ = static_cast<uint32_t>(end);
  if (position_ > size_) size_ = position_;
  if (written) *written = size;
  return S_OK;
}

HRESULT WaveMemoryStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) {
  int64_t base = 0;
  switch (origin) {
    case STREAM_SEEK_SET:
      base = 0;
      break;
    case STREAM_SEEK_CUR:
      base = position_;
      break;
    case STREAM_SEEK_END:
      base = size_;
      break;
    default:
      return STG_E_INVALIDFUNCTION;
  }
  const int64_t to = base + move.QuadPart;
  if (to < 0 || to > Limit) return STG_E_INVALIDFUNCTION;
  position_ = static_cast<uint32_t>(to);
  if (position) position->QuadPart = position_;
  return S_OK;
}

HRESULT WaveMemoryStream::SetSize(ULARGE_INTEGER size) {
  if (!Reserve(size.QuadPart)) return STG_E_MEDIUMFULL;
  const auto n = static_cast<uint32_t>(size.QuadPart);
  if (n > size_) std::memset(bytes_ + size_, 0, n - size_);
  size_ = n;
  return S_OK;
}

HRESULT WaveMemoryStream::CopyTo(IStream* to, ULARGE_INTEGER count, ULARGE_INTEGER* read, ULARGE_INTEGER* written) {
  if (!to) return STG_E_INVALIDPOINTER;
  const uint32_t left = position_ >= size_ ? 0 : size_ - position_;
  const ULONG n = count.QuadPart < left ? static_cast<ULONG>(count.QuadPart) : left;
  ULONG done = 0;
  const HRESULT hr = n ? to->Write(bytes_ + position_, n, &done) : S_OK;
  position_ += n;
  if (read) read->QuadPart = n;
  if (written) written->QuadPart = done;
  return hr;
}

HRESULT WaveMemoryStream::Stat(STATSTG* stat, DWORD) {
  if (!stat) return STG_E_INVALIDPOINTER;
  std::memset(stat, 0, sizeof *stat);
  stat->type = STGTY_STREAM;
  stat->cbSize.QuadPart = size_;
  return S_OK;
}

HRESULT WaveMemoryStream::Clone(IStream** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT WaveMemoryStream::GetFormat(GUID* formatId, WAVEFORMATEX** format) {
  if (formatId) *formatId = WaveFormatExFormatId;
  if (!format) return S_OK;
  *format = static_cast<WAVEFORMATEX*>(CoTaskMemAlloc(sizeof(WAVEFORMATEX)));
  if (!*format) return E_OUTOFMEMORY;
  **format = WAVEFORMATEX{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
  return S_OK;
}
