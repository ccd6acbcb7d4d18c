#include "game/camera_trace.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// ---------------------------------------------------------------------------
// A small RGB canvas.

struct Rgb {
  uint8_t r, g, b;
};
constexpr Rgb White{255, 255, 255}, Black{0, 0, 0}, Grid{225, 225, 225}, MenuShade{255, 244, 214},
    FrozenShade{215, 215, 215}, EventMark{150, 150, 150}, YawColour{30, 90, 200}, PitchColour{20, 150, 60},
    FovColour{210, 40, 40};

struct Canvas {
  int w, h;
  std::string pixels;  // RGB rows
  Canvas(int width, int height) : w(width), h(height), pixels(static_cast<size_t>(width) * height * 3, '\xFF') {}
  void Set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= w || y >= h) return;
    char* p = &pixels[(static_cast<size_t>(y) * w + x) * 3];
    p[0] = static_cast<char>(c.r), p[1] = static_cast<char>(c.g), p[2] = static_cast<char>(c.b);
  }
  void Fill(int x0, int y0, int x1, int y1, Rgb c) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) Set(x, y, c);
  }
  void Line(double x0, double y0, double x1, double y1, Rgb c, int thick = 1) {
    const int steps = static_cast<int>(std::max(std::fabs(x1 - x0), std::fabs(y1 - y0))) + 1;
    for (int i = 0; i <= steps; ++i) {
      const double t = static_cast<double>(i) / steps;
      const int x = static_cast<int>(std::lround(x0 + (x1 - x0) * t)), y = static_cast<int>(std::lround(y0 + (y1 - y0) * t));
      for (int dy = 0; dy < thick; ++dy)
        for (int dx = 0; dx < thick; ++dx) Set(x + dx - thick / 2, y + dy - thick / 2, c);
    }
  }
  void Text(int x, int y, const char* text, Rgb c);
};

// 5 x 7 glyphs, one string of 35 cells per character ('#' lit), row by row.
struct Glyph {
  char c;
  const char* rows;
};
const Glyph Font[] = {
    {'z', "..........#####...#...#...#...#####"},
    {'0', ".###.#...##..###.#.###..##...#.###."}, {'1', "..#...##....#....#....#....#...###."},
    {'2', ".###.#...#....#...#...#...#...#####"}, {'3', "####.....#...#...##.....##...#.###."},
    {'4', "...#...##..#.#.#..#.#####...#....#."}, {'5', "######....####.....#....##...#.###."},
    {'6', "..##..#...#....####.#...##...#.###."}, {'7', "#####....#...#...#...#....#....#..."},
    {'8', ".###.#...##...#.###.#...##...#.###."}, {'9', ".###.#...##...#.####....#...#..##.."},
    {'-', "...............#####..............."}, {'a', "...........###.....#.#####...#.####"},
    {'b', "#....#....#.##.##..##...##...#####."}, {'c', "...........#####....#....#.....####"},
    {'d', "....#....#.##.##..###...##...#.####"}, {'e', "...........###.#...#######.....###."},
    {'f', "..##..#..#.#...###...#....#....#..."}, {'g', "......#####...##...#.####....#.###."},
    {'h', "#....#....#.##.##..##...##...##...#"}, {'i', "..#........##....#....#....#...###."},
    {'k', "#....#....#..#.#.#..##...#.#..#..#."}, {'l', ".##....#....#....#....#....#...###."},
    {'m', "..........##.#.#.#.##.#.##...##...#"}, {'n', "..........#.##.##..##...##...##...#"},
    {'o', "...........###.#...##...##...#.###."}, {'p', "..........####.#...#####.#....#...."},
    {'r', "..........#.##.##..##....#....#...."}, {'s', "...........#####.....###.....#####."},
    {'t', ".#....#...###...#....#....#..#..##."}, {'u', "..........#...##...##...##..##.##.#"},
    {'v', "..........#...##...##...#.#.#...#.."}, {'w', "..........#...##...##.#.##.#.#.#.#."},
    {'x', "..........#...#.#.#...#...#.#.#...#"}, {'y', "..........#...##...#.####....#.###."},
};

void Canvas::Text(int x, int y, const char* text, Rgb c) {
  for (const char* p = text; *p; ++p, x += 6) {
    for (const Glyph& g : Font) {
      if (g.c != *p) continue;
      const size_t n = std::strlen(g.rows);
      for (size_t i = 0; i < 35 && i < n; ++i)
        if (g.rows[i] == '#') Set(x + static_cast<int>(i % 5), y + static_cast<int>(i / 5), c);
    }
  }
}

// ---------------------------------------------------------------------------
// PNG: stored (uncompressed) deflate blocks are enough for a plot.

uint32_t Crc(const std::string& data, size_t from) {
  static uint32_t table[256];
  if (!table[1])
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = from; i < data.size(); ++i) c = table[(c ^ static_cast<uint8_t>(data[i])) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void Be32(std::string& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out += static_cast<char>((v >> s) & 0xFF);
}

void Chunk(std::string& png, const char* type, const std::string& data) {
  Be32(png, static_cast<uint32_t>(data.size()));
  const size_t start = png.size();
  png += type;
  png += data;
  Be32(png, Crc(png, start));
}

std::string EncodePng(const Canvas& c) {
  std::string raw;
  for (int y = 0; y < c.h; ++y) {
    raw += '\0';  // no filter
    raw.append(c.pixels, static_cast<size_t>(y) * c.w * 3, static_cast<size_t>(c.w) * 3);
  }
  std::string z = "\x78\x01";
  for (size_t at = 0; at < raw.size() || at == 0;) {
    const size_t n = std::min<size_t>(65535, raw.size() - at);
    z += static_cast<char>(at + n == raw.size() ? 1 : 0);
    z += static_cast<char>(n & 0xFF), z += static_cast<char>(n >> 8);
    z += static_cast<char>(~n & 0xFF), z += static_cast<char>((~n >> 8) & 0xFF);
    z.append(raw, at, n);
    at += n;
    if (at == raw.size()) break;
  }
  uint32_t a = 1, b = 0;
  for (char ch : raw) a = (a + static_cast<uint8_t>(ch)) % 65521, b = (b + a) % 65521;
  Be32(z, (b << 16) | a);
  std::string ihdr;
  Be32(ihdr, static_cast<uint32_t>(c.w));
  Be32(ihdr, static_cast<uint32_t>(c.h));
  ihdr += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB
  std::string png = "\x89PNG\r\n\x1A\n";
  Chunk(png, "IHDR", ihdr);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", "");
  return png;
}

bool WriteAll(const char* path, const std::string& bytes) {
  HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(f);
  return ok;
}

}  // namespace

bool WriteCameraTrace(const char* path, const std::vector<CameraTraceRow>& rows) {
  std::string out =
      "frame,event,menu,frozen,fov,yaw,pitch,mouse_dx,mouse_dy,game_ai_off,partner_ai_off,"
      "partner_group_changed,partner_looks_at_player,view,extras_see_menu\r\n";
  char line[256];
  for (const CameraTraceRow& r : rows) {
    snprintf(line, sizeof line, "%u,%s,%d,%d,%.1f,%.1f,%.1f,%d,%d,%d,%d,%d,%d,%u,%d\r\n", r.frame, r.event, r.menu,
             r.frozen, r.fov, r.yaw, r.pitch, r.dx, r.dy, r.gameAiOff, r.partnerAiOff, r.partnerGroupChanged,
             r.partnerLooksAtPlayer, r.view, r.extrasSeeMenu);
    out += line;
  }
  return WriteAll(path, out);
}

bool WriteCameraPlot(const char* path, const std::vector<CameraTraceRow>& rows) {
  if (rows.empty()) return false;
  constexpr int W = 960, H = 440, Left = 48, Right = 16, Top = 34, Bottom = 40;
  Canvas c(W, H);
  double lo = 0, hi = 0;
  for (const CameraTraceRow& r : rows)
    for (double v : {r.fov, r.yaw, r.pitch}) lo = std::min(lo, v), hi = std::max(hi, v);
  lo = std::floor(lo / 10) * 10 - 10;
  hi = std::ceil(hi / 10) * 10 + 10;
  const double xs = static_cast<double>(W - Left - Right) / std::max<size_t>(rows.size() - 1, 1);
  auto X = [&](size_t i) { return Left + i * xs; };
  auto Y = [&](double v) { return Top + (hi - v) / (hi - lo) * (H - Top - Bottom); };

  for (size_t i = 0; i < rows.size(); ++i) {  // menu mode shaded, frozen frames darker
    if (!rows[i].menu) continue;
    const int x0 = static_cast<int>(X(i) - xs / 2), x1 = static_cast<int>(X(i) + xs / 2) + 1;
    c.Fill(x0, Top, x1, H - Bottom, rows[i].frozen ? FrozenShade : MenuShade);
  }
  for (double v = lo; v <= hi; v += 10) {
    c.Line(Left, Y(v), W - Right, Y(v), v == 0 ? EventMark : Grid);
    char label[16];
    snprintf(label, sizeof label, "%d", static_cast<int>(v));
    c.Text(Left - 8 - 6 * static_cast<int>(std::strlen(label)), static_cast<int>(Y(v)) - 3, label, Black);
  }
  for (size_t i = 0; i < rows.size(); i += 20) {
    char label[16];
    snprintf(label, sizeof label, "%u", static_cast<unsigned>(i));
    c.Line(X(i), H - Bottom, X(i), H - Bottom + 4, Black);
    c.Text(static_cast<int>(X(i)) - 3 * static_cast<int>(std::strlen(label)), H - Bottom + 8, label, Black);
  }
  c.Text(W / 2 - 15, H - 14, "frame", Black);
  int eventRow = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].event[0]) continue;
    for (int y = Top; y < H - Bottom; y += 4) c.Set(static_cast<int>(X(i)), y, EventMark);
    const int width = 6 * static_cast<int>(std::strlen(rows[i].event));
    const int at = X(i) + 3 + width < W - Right ? static_cast<int>(X(i)) + 3 : static_cast<int>(X(i)) - 3 - width;
    c.Text(at, Top + 4 + 10 * (eventRow++ % 3), rows[i].event, Black);
  }
  c.Line(Left, Top, Left, H - Bottom, Black);
  c.Line(Left, H - Bottom, W - Right, H - Bottom, Black);
  for (size_t i = 1; i < rows.size(); ++i) {
    c.Line(X(i - 1), Y(rows[i - 1].fov), X(i), Y(rows[i].fov), FovColour, 2);
    c.Line(X(i - 1), Y(rows[i - 1].yaw), X(i), Y(rows[i].yaw), YawColour, 2);
    c.Line(X(i - 1), Y(rows[i - 1].pitch), X(i), Y(rows[i].pitch), PitchColour, 2);
  }
  // Legend along the top.
  const struct { const char* name; Rgb colour; } legend[] = {
      {"fov", FovColour}, {"yaw", YawColour}, {"pitch", PitchColour}, {"menu", MenuShade}, {"frozen", FrozenShade}};
  int x = Left;
  for (const auto& l : legend) {
    c.Fill(x, 10, x + 18, 18, l.colour);
    c.Text(x + 22, 10, l.name, Black);
    x += 30 + 6 * static_cast<int>(std::strlen(l.name)) + 12;
  }
  c.Text(x + 10, 10, "degrees", Black);
  return WriteAll(path, EncodePng(c));
}
