// The plug-in under test, loaded from beside the test program and called
// through its exports, with a private temporary folder per test process.
#pragma once
#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

#include "dibrecords.h"
#include "handlebank.h"

struct PluginApi {
  HMODULE module = nullptr;
  int(WINAPI* IsPlugin)(uint8_t*) = nullptr;
  int(WINAPI* FileIsSupport)(const char*) = nullptr;
  MemHandle(WINAPI* LoadDib)(const char*, const DibLoadRequest*, DibImageInfo*) = nullptr;
  int(WINAPI* SaveDib)(uintptr_t, uintptr_t, uintptr_t) = nullptr;
  int(WINAPI* GetDibInfo)(const char*, uint8_t*) = nullptr;
};

// Loads flashread.rll from the test program's folder; the exports are
// taken by ordinal and checked against their names.
PluginApi LoadPlugin();

// Points TMP and TEMP at a fresh folder of this process for the lifetime of
// the object, so counting temporary files sees no one else's.
class PrivateTempFolder {
 public:
  PrivateTempFolder();
  ~PrivateTempFolder();
  const std::string& root() const { return root_; }     // for files the test makes
  const std::string& temp() const { return temp_; }     // what GetTempPathA gives
  // Files in the temporary folder matching `pattern` (fpx*.tmp by default).
  int Count(const char* pattern = "fpx*.tmp") const;
  // Points TMP and TEMP at a folder that does not exist, or back.
  void PointAtMissingFolder(bool missing) const;

 private:
  std::string root_, temp_, oldTmp_, oldTemp_;
};

std::string Fixture(const std::string& name);
std::vector<std::string> FixtureNames();  // every .fpx, external/ ones included
std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
