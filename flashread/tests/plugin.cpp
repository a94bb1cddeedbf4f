#include "plugin.h"

#include <gtest/gtest.h>

#include <stdio.h>

namespace {
std::string EnvOrEmpty(const char* name) {
  char buf[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

template <typename F>
void Bind(F* f, FARPROC proc) {
  *f = reinterpret_cast<F>(reinterpret_cast<void*>(proc));
}

void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE f = FindFirstFileA((dir + "*").c_str(), &fd);
  if (f != INVALID_HANDLE_VALUE) {
    do {
      const std::string n = fd.cFileName;
      if (n == "." || n == "..") continue;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(dir + n + "\\");
      else
        DeleteFileA((dir + n).c_str());
    } while (FindNextFileA(f, &fd));
    FindClose(f);
  }
  RemoveDirectoryA(dir.c_str());
}
}  // namespace

PluginApi LoadPlugin() {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string dir(exe);
  dir.resize(dir.find_last_of("\\/") + 1);
  PluginApi api;
  api.module = LoadLibraryA((dir + "flashread.rll").c_str());
  if (api.module == nullptr) return api;
  const char* names[] = {"ZoRWPIsPlugin", "ZoRWPFileIsSupport", "ZoRWPLoadDib", "ZoRWPSaveDib", "ZoRWPGetDibInfo"};
  FARPROC procs[5];
  for (int i = 0; i < 5; ++i) {
    procs[i] = GetProcAddress(api.module, MAKEINTRESOURCEA(i + 1));
    EXPECT_NE(procs[i], nullptr) << "ordinal " << i + 1;
    EXPECT_EQ(procs[i], GetProcAddress(api.module, names[i])) << names[i];
  }
  Bind(&api.IsPlugin, procs[0]);
  Bind(&api.FileIsSupport, procs[1]);
  Bind(&api.LoadDib, procs[2]);
  Bind(&api.SaveDib, procs[3]);
  Bind(&api.GetDibInfo, procs[4]);
  return api;
}

PrivateTempFolder::PrivateTempFolder() {
  oldTmp_ = EnvOrEmpty("TMP");
  oldTemp_ = EnvOrEmpty("TEMP");
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  root_ = std::string(base) + "flashread_test_" + std::to_string(GetCurrentProcessId()) + "\\";
  temp_ = root_ + "tmp\\";
  CreateDirectoryA(root_.c_str(), nullptr);
  CreateDirectoryA(temp_.c_str(), nullptr);
  PointAtMissingFolder(false);
}

PrivateTempFolder::~PrivateTempFolder() {
  SetEnvironmentVariableA("TMP", oldTmp_.empty() ? nullptr : oldTmp_.c_str());
  SetEnvironmentVariableA("TEMP", oldTemp_.empty() ? nullptr : oldTemp_.c_str());
  RemoveTree(root_);
}

void PrivateTempFolder::PointAtMissingFolder(bool missing) const {
  const std::string dir = missing ? root_ + "missing\\" : temp_;
  SetEnvironmentVariableA("TMP", dir.c_str());
  SetEnvironmentVariableA("TEMP", dir.c_str());
}

int PrivateTempFolder::Count(const char* pattern) const {
  WIN32_FIND_DATAA fd;
  HANDLE f = FindFirstFileA((temp_ + pattern).c_str(), &fd);
  if (f == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
  } while (FindNextFileA(f, &fd));
  FindClose(f);
  return n;
}

std::string Fixture(const std::string& name) { return std::string(FLASHREAD_FIXTURES) + "/" + name; }

std::vector<std::string> FixtureNames() {
  std::vector<std::string> names;
  for (const std::string sub : {"", "external/"}) {
    WIN32_FIND_DATAA fd;
    HANDLE f = FindFirstFileA(Fixture(sub + "*.fpx").c_str(), &fd);
    if (f == INVALID_HANDLE_VALUE) continue;
    do names.push_back(sub + fd.cFileName);
    while (FindNextFileA(f, &fd));
    FindClose(f);
  }
  return names;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) return bytes;
  fseek(f, 0, SEEK_END);
  bytes.resize(size_t(ftell(f)));
  fseek(f, 0, SEEK_SET);
  if (fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) bytes.clear();
  fclose(f);
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}
