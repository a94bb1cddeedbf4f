// The folder's files, and the small text files tipview writes for its callers.
#pragma once
#include <string>
#include <vector>

#include "infotip.h"

std::vector<std::string> ListFiles(const std::string& folder);  // plain files, sorted by name
std::string JoinPath(const std::string& folder, const std::string& name);
std::string FileSizeText(const std::string& path);  // "12 KB"

struct ItemRect {
  std::string name;
  long left, top, right, bottom;  // screen coordinates
};
// One line per item: name, tab, left top right bottom.
void WriteLayoutFile(const std::string& path, const std::vector<ItemRect>& items);
// One line per request: name, HRESULT, milliseconds, tip text (UTF-8).
void AppendLog(const std::string& path, const std::string& name, const TipResult& tip);
