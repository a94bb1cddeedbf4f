// What the driver expects of each sample file, and the checks on what it saw.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum class Expect { Still, Animated, Nothing };

struct Sample {
  std::string name;
  Expect expect = Expect::Still;
  std::string caption;  // the caption the popup must show, e.g. "640x480x24"
  bool quadrants = false;  // drawn red | green over blue | white
};

// Lines "name<TAB>still|animated|none<TAB>caption<TAB>quad|-".
std::vector<Sample> ReadManifest(const std::string& path);

struct Item {
  std::string name;
  long left = 0, top = 0, right = 0, bottom = 0;
};
// Lines "name<TAB>left top right bottom", as tipview --layout writes them.
std::vector<Item> ReadLayout(const std::string& path);

// A captured picture: top-down rows of 0x00RRGGBB.
struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// True when the bitmap area (below the 16-pixel strip) shows the quadrant
// layout: red top-left, green top-right, blue bottom-left, white bottom-right,
// sampled at the quadrants' centres with a tolerance for lossy formats.
bool ShowsQuadrants(const Picture& popup);

// Share of pixels that differ between two pictures of the same size.
double ChangedShare(const Picture& a, const Picture& b);

// Share of the strip's pixels equal to the reference rendering.
double StripMatch(const Picture& popup, const Picture& reference);
