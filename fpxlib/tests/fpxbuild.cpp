#include "fpxbuild.h"

#include <stdio.h>
#include <string.h>

namespace fpxtest {

void put32(std::vector<uint8_t>& b, size_t off, uint32_t v) {
  if (b.size() < off + 4) b.resize(off + 4);
  for (int i = 0; i < 4; i++) b[off + i] = uint8_t(v >> (8 * i));
}

namespace {

void app32(std::vector<uint8_t>& b, uint32_t v) { put32(b, b.size(), v); }

struct Prop {
  uint32_t id;
  bool blob;
  uint32_t value;
  std::vector<uint8_t> data;
};

std::vector<uint8_t> property_set(const std::vector<Prop>& props) {
  std::vector<uint8_t> b = {0xFE, 0xFF, 0, 0};
  app32(b, 0);                 // OS version
  b.resize(b.size() + 16, 0);  // CLSID
  app32(b, 1);                 // sections
  b.resize(b.size() + 16, 0x11);  // FMTID
  app32(b, 48);
  std::vector<uint8_t> sec(8 + 8 * props.size(), 0);
  for (size_t i = 0; i < props.size(); i++) {
    put32(sec, 8 + 8 * i, props[i].id);
    put32(sec, 12 + 8 * i, uint32_t(sec.size()));
    if (props[i].blob) {
      app32(sec, 65);
      app32(sec, uint32_t(props[i].data.size()));
      sec.insert(sec.end(), props[i].data.begin(), props[i].data.end());
      while (sec.size() % 4) sec.push_back(0);
    } else {
      app32(sec, 19);
      app32(sec, props[i].value);
    }
  }
  put32(sec, 0, uint32_t(sec.size()));
  put32(sec, 4, uint32_t(props.size()));
  b.insert(b.end(), sec.begin(), sec.end());
  return b;
}

struct Node {
  std::string name;
  uint8_t type;  // 1 storage, 2 stream, 5 root
  std::vector<int> kids;
  std::vector<uint8_t> data;
  std::string label;
};

}  // namespace

size_t Built::stream(const std::string& name) const {
  for (auto& s : streams)
    if (s.first == name) return s.second;
  return 0;
}
size_t Built::entry(const std::string& name) const {
  for (auto& s : dir_entries)
    if (s.first == name) return s.second;
  return 0;
}

Built build_fpx(const FpxSpec& recipe) {
  std::vector<Node> nodes;
  nodes.push_back({"Root Entry", 5, {}, {}, "root"});
  nodes.push_back({"Data Object Store 000001", 1, {}, {}, "store"});
  nodes[0].kids.push_back(1);

  std::vector<Prop> props;
  const uint32_t nlev = uint32_t(recipe.levels.size());
  props.push_back({0x01000000, false, nlev, {}});
  props.push_back({0x01000002, false, nlev ? recipe.levels.back().width : 0, {}});
  props.push_back({0x01000003, false, nlev ? recipe.levels.back().height : 0, {}});
  for (uint32_t r = 0; r < nlev; r++) {
    const LevelSpec& L = recipe.levels[r];
    uint32_t base = 0x02000000u | (r << 16);
    std::vector<uint8_t> colour;
    app32(colour, 1);
    app32(colour, uint32_t(L.channel_words.size()));
    for (uint32_t w : L.channel_words) app32(colour, w);
    props.push_back({base, false, L.width, {}});
    props.push_back({base + 1, false, L.height, {}});
    props.push_back({base + 2, true, 0, colour});
    props.push_back({base + 3, false, 17, {}});
  }
  for (size_t t = 0; t < recipe.jpeg_tables.size(); t++)
    props.push_back({0x03000001u | (uint32_t(t + 1) << 16), true, 0, recipe.jpeg_tables[t]});
  nodes.push_back({"\005Image Contents", 2, {}, property_set(props), "contents"});
  nodes[1].kids.push_back(2);

  for (uint32_t r = 0; r < nlev; r++) {
    const LevelSpec& L = recipe.levels[r];
    char name[32];
    snprintf(name, sizeof name, "Resolution %04u", r);
    int res = int(nodes.size());
    nodes.push_back({name, 1, {}, {}, "L" + std::to_string(r)});
    nodes[1].kids.push_back(res);
    std::vector<uint8_t> data(28, 0), hdr(28, 0);
    uint32_t nch = L.header_channels ? L.header_channels : uint32_t(L.channel_words.size());
    app32(hdr, 36);
    app32(hdr, L.width);
    app32(hdr, L.height);
    app32(hdr, uint32_t(L.tiles.size()));
    app32(hdr, 64);
    app32(hdr, 64);
    app32(hdr, nch);
    app32(hdr, 36);  // tile table right after these nine words
    app32(hdr, 16);
    for (const TileSpec& t : L.tiles) {
      app32(hdr, uint32_t(data.size() - 28));
      app32(hdr, uint32_t(t.bytes.size()));
      app32(hdr, t.compression);
      app32(hdr, t.subtype);
      data.insert(data.end(), t.bytes.begin(), t.bytes.end());
    }
    int h = int(nodes.size());
    nodes.push_back({"Subimage 0000 Header", 2, {}, hdr, "L" + std::to_string(r) + " header"});
    int d = int(nodes.size());
    nodes.push_back({"Subimage 0000 Data", 2, {}, data, "L" + std::to_string(r) + " data"});
    nodes[res].kids = {h, d};
  }

  // Sector layout: FAT sectors, directory sectors, then the streams.
  const size_t ss = 512;
  size_t dir_secs = (nodes.size() + 3) / 4;
  std::vector<size_t> stream_secs(nodes.size(), 0);
  size_t total_stream = 0;
  for (size_t i = 0; i < nodes.size(); i++) {
    if (nodes[i].type != 2) continue;
    if (nodes[i].data.size() < 4096) nodes[i].data.resize(4096, 0);
    stream_secs[i] = (nodes[i].data.size() + ss - 1) / ss;
    total_stream += stream_secs[i];
  }
  size_t fat_secs = 1;
  while (fat_secs * 128 < fat_secs + dir_secs + total_stream) fat_secs++;
  std::vector<uint32_t> fat(fat_secs * 128, 0xFFFFFFFFu);
  for (size_t i = 0; i < fat_secs; i++) fat[i] = 0xFFFFFFFDu;
  size_t next = fat_secs;
  auto chain = [&](size_t n) {
    size_t start = next;
    for (size_t k = 0; k < n; k++) fat[next + k] = k + 1 < n ? uint32_t(next + k + 1) : 0xFFFFFFFEu;
    next += n;
    return uint32_t(start);
  };
  uint32_t dir_start = chain(dir_secs);
  std::vector<uint32_t> starts(nodes.size(), 0xFFFFFFFEu);
  for (size_t i = 0; i < nodes.size(); i++)
    if (nodes[i].type == 2) starts[i] = chain(stream_secs[i]);

  Built out;
  std::vector<uint8_t>& b = out.bytes;
  b.assign(512 + next * ss, 0);
  static const uint8_t magic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  memcpy(b.data(), magic, 8);
  b[0x18] = 0x3E;
  b[0x1A] = 3;
  b[0x1C] = 0xFE;
  b[0x1D] = 0xFF;
  b[0x1E] = 9;
  b[0x20] = 6;
  put32(b, 0x2C, uint32_t(fat_secs));
  put32(b, 0x30, dir_start);
  put32(b, 0x38, 4096);
  put32(b, 0x3C, 0xFFFFFFFEu);
  put32(b, 0x40, 0);
  put32(b, 0x44, 0xFFFFFFFEu);
  put32(b, 0x48, 0);
  for (size_t i = 0; i < 109; i++) put32(b, 0x4C + 4 * i, i < fat_secs ? uint32_t(i) : 0xFFFFFFFFu);
  for (size_t i = 0; i < fat.size(); i++) put32(b, 512 + 4 * i, fat[i]);
  out.fat = 512;
  out.dir = 512 + dir_start * ss;
  for (size_t i = 0; i < nodes.size(); i++) {
    size_t e = out.dir + 128 * i;
    const Node& n = nodes[i];
    for (size_t k = 0; k < n.name.size() && k < 31; k++) b[e + 2 * k] = uint8_t(n.name[k]);
    b[e + 0x40] = uint8_t((n.name.size() + 1) * 2);
    b[e + 0x42] = n.type;
    b[e + 0x43] = 1;
    put32(b, e + 0x44, 0xFFFFFFFFu);
    put32(b, e + 0x48, 0xFFFFFFFFu);
    put32(b, e + 0x4C, 0xFFFFFFFFu);
    put32(b, e + 0x74, starts[i]);
    put32(b, e + 0x78, uint32_t(n.data.size()));
    out.dir_entries.push_back({n.label, e});
    if (n.type == 2) {
      size_t off = 512 + size_t(starts[i]) * ss;
      memcpy(b.data() + off, n.data.data(), n.data.size());
      out.streams.push_back({n.label, off});
    }
  }
  // Children hang as a chain of right siblings.
  for (size_t i = 0; i < nodes.size(); i++) {
    const Node& n = nodes[i];
    if (!n.kids.empty()) put32(b, out.dir + 128 * i + 0x4C, uint32_t(n.kids[0]));
    for (size_t k = 0; k + 1 < n.kids.size(); k++)
      put32(b, out.dir + 128 * size_t(n.kids[k]) + 0x48, uint32_t(n.kids[k + 1]));
  }
  // Unused directory slots are empty entries.
  for (size_t i = nodes.size(); i < dir_secs * 4; i++) {
    size_t e = out.dir + 128 * i;
    put32(b, e + 0x44, 0xFFFFFFFFu);
    put32(b, e + 0x48, 0xFFFFFFFFu);
    put32(b, e + 0x4C, 0xFFFFFFFFu);
  }
  return out;
}

uint8_t simple_value(uint32_t x, uint32_t y, uint32_t c) { return uint8_t((x * 7 + y * 13 + c * 50) & 255); }

FpxSpec simple_spec(uint32_t w, uint32_t h, uint32_t channels) {
  FpxSpec s;
  LevelSpec L;
  L.width = w;
  L.height = h;
  for (uint32_t c = 0; c < channels; c++)
    L.channel_words.push_back(channels == 1 ? 0x00010000u : (0x00030000u | c));
  uint32_t tx = (w + 63) / 64, ty = (h + 63) / 64;
  for (uint32_t j = 0; j < ty; j++)
    for (uint32_t i = 0; i < tx; i++) {
      TileSpec t;
      t.bytes.resize(64 * 64 * channels);
      for (uint32_t y = 0; y < 64; y++)
        for (uint32_t x = 0; x < 64; x++)
          for (uint32_t c = 0; c < channels; c++)
            t.bytes[(y * 64 + x) * channels + c] = simple_value(i * 64 + x, j * 64 + y, c);
      L.tiles.push_back(t);
    }
  s.levels.push_back(L);
  return s;
}

}  // namespace fpxtest
