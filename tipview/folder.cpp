#include "folder.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

std::vector<std::string> ListFiles(const std::string& folder) {
  std::vector<std::string> files;
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA(JoinPath(folder, "*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(fd.cFileName);
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) < 0;
  });
  return files;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder + name;
  return folder + "\\" + name;
}

std::string FileSizeText(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return "";
  const unsigned long long bytes = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  char text[32];
  snprintf(text, sizeof text, "%llu KB", (bytes + 1023) / 1024);
  return text;
}

void WriteLayoutFile(const std::string& path, const std::vector<ItemRect>& items) {
  FILE* f = fopen(path.c_str(), "w");
  if (!f) return;
  for (const ItemRect& r : items) fprintf(f, "%s\t%ld %ld %ld %ld\n", r.name.c_str(), r.left, r.top, r.right, r.bottom);
  fclose(f);
}

void AppendLog(const std::string& path, const std::string& name, const TipResult& tip) {
  FILE* f = fopen(path.c_str(), "a");
  if (!f) return;
  std::string text;
  if (!tip.text.empty()) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, tip.text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    text.resize(n > 0 ? n - 1 : 0);
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, tip.text.c_str(), -1, &text[0], n, nullptr, nullptr);
  }
  fprintf(f, "%s\t0x%08lx\t%.1f\t%s\n", name.c_str(), static_cast<unsigned long>(tip.hr), tip.milliseconds,
          text.c_str());
  fclose(f);
}
