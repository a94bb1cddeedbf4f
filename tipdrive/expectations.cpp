#include "expectations.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::vector<std::string> Split(const std::string& line, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = line.find(sep, start);
    parts.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  FILE* f = fopen(path.c_str(), "r");
  if (!f) return lines;
  char buf[1024];
  while (fgets(buf, sizeof buf, f)) {
    std::string line(buf);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  fclose(f);
  return lines;
}

bool Near(uint32_t pixel, uint32_t want) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int a = (pixel >> shift) & 0xFF, b = (want >> shift) & 0xFF;
    if (abs(a - b) > 48) return false;
  }
  return true;
}

}  // namespace

std::vector<Sample> ReadManifest(const std::string& path) {
  std::vector<Sample> samples;
  for (const std::string& line : Lines(path)) {
    const auto f = Split(line, '\t');
    if (f.size() < 4) continue;
    Sample s;
    s.name = f[0];
    s.expect = f[1] == "animated" ? Expect::Animated : f[1] == "none" ? Expect::Nothing : Expect::Still;
    s.caption = f[2];
    s.quadrants = f[3] == "quad";
    samples.push_back(s);
  }
  return samples;
}

std::vector<Item> ReadLayout(const std::string& path) {
  std::vector<Item> items;
  for (const std::string& line : Lines(path)) {
    const auto f = Split(line, '\t');
    if (f.size() < 2) continue;
    Item it;
    it.name = f[0];
    if (sscanf(f[1].c_str(), "%ld %ld %ld %ld", &it.left, &it.top, &it.right, &it.bottom) == 4) items.push_back(it);
  }
  return items;
}

bool ShowsQuadrants(const Picture& p) {
  const int h = p.height - 16;
  if (p.width < 4 || h < 4) return false;
  const auto at = [&](int qx, int qy) { return p.at(p.width * (2 * qx + 1) / 4, 16 + h * (2 * qy + 1) / 4); };
  return Near(at(0, 0), 0xFF0000) && Near(at(1, 0), 0x00FF00) && Near(at(0, 1), 0x0000FF) &&
         Near(at(1, 1), 0xFFFFFF);
}

double ChangedShare(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height || a.pixels.empty()) return 1.0;
  size_t changed = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) changed += a.pixels[i] != b.pixels[i];
  return static_cast<double>(changed) / static_cast<double>(a.pixels.size());
}

double StripMatch(const Picture& popup, const Picture& reference) {
  if (popup.width != reference.width || popup.height < 16 || reference.height != 16) return 0.0;
  size_t same = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < popup.width; ++x) same += popup.at(x, y) == reference.at(x, y);
  return static_cast<double>(same) / (16.0 * popup.width);
}
