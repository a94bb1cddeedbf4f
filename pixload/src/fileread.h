// Reading a whole file into memory with full sharing; the file is closed
// before the call returns, so nothing stays locked.
#pragma once
#include <stdint.h>

#include <vector>

namespace pixload {

// Files larger than this are not read.
constexpr uint64_t kMaxFileBytes = 512ull * 1024 * 1024;

bool ReadWholeFile(const char* path, std::vector<uint8_t>& out);

}  // namespace pixload
