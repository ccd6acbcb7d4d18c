#include "screenshot.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <vector>

std::string ScreensDir() {
  std::string dir = "Z:" + std::string(QUORRIM_SCREENS_DIR);
  for (char& c : dir)
    if (c == '/') c = '\\';
  CreateDirectoryA(dir.substr(0, dir.find_last_of('\\')).c_str(), nullptr);
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

namespace {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void Chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
  Put32(png, static_cast<uint32_t>(data.size()));
  std::vector<uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  png.insert(png.end(), body.begin(), body.end());
  Put32(png, Crc32(body.data(), body.size()));
}

// RGB rows, each led by filter byte 0, in stored (uncompressed) deflate
// blocks: screenshots are small, and this needs no library.
std::vector<uint8_t> Png(int width, int height, const std::vector<uint8_t>& rgbRows) {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  Put32(header, width);
  Put32(header, height);
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  Chunk(png, "IHDR", header);
  std::vector<uint8_t> z = {0x78, 0x01};
  uint32_t a = 1, b = 0;
  for (uint8_t byte : rgbRows) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  for (size_t at = 0; at < rgbRows.size() || at == 0; at += 65535) {
    const size_t n = std::min<size_t>(65535, rgbRows.size() - at);
    z.push_back(at + n >= rgbRows.size() ? 1 : 0);
    z.push_back(n & 0xFF);
    z.push_back(n >> 8);
    z.push_back(~n & 0xFF);
    z.push_back((~n >> 8) & 0xFF);
    z.insert(z.end(), rgbRows.begin() + at, rgbRows.begin() + at + n);
    if (rgbRows.empty()) break;
  }
  Put32(z, (b << 16) | a);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", {});
  return png;
}

}  // namespace

std::vector<uint8_t> ScreenPixels(const RECT& r) {
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return {};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  const bool copied = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  std::vector<uint8_t> rgb;
  if (copied) {
    rgb.reserve(static_cast<size_t>(width) * height * 3);
    const uint8_t* px = static_cast<const uint8_t*>(bits);
    for (int i = 0; i < width * height; ++i, px += 4) rgb.insert(rgb.end(), {px[2], px[1], px[0]});
  }
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return rgb;
}

bool SaveWindowPng(HWND window, const std::string& path) {
  RECT r;
  if (!GetClientRect(window, &r)) return false;
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  const std::vector<uint8_t> rgb = ScreenPixels(r);
  if (rgb.empty()) return false;
  const int width = r.right - r.left, height = r.bottom - r.top;
  std::vector<uint8_t> rows;
  rows.reserve(rgb.size() + height);
  for (int y = 0; y < height; ++y) {
    rows.push_back(0);
    rows.insert(rows.end(), rgb.begin() + static_cast<size_t>(y) * width * 3,
                rgb.begin() + static_cast<size_t>(y + 1) * width * 3);
  }
  const std::vector<uint8_t> png = Png(width, height, rows);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  return static_cast<bool>(out);
}
