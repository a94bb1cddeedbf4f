// Asking a file's registered info-tip handler for its tip, as a folder view does.
#pragma once
#include <windows.h>

#include <string>

struct TipResult {
  HRESULT hr = E_FAIL;     // the first failure on the way, or GetInfoTip's result
  double milliseconds = 0; // time spent in GetInfoTip
  std::wstring text;       // the tip's text; empty when none was given
};

// The class registered under HKCR\<ext>\ShellEx\{00021500-...} (IQueryInfo).
bool InfoTipHandlerFor(const std::string& extension, CLSID* clsid);

// Creates the handler in-process, loads the path into it and asks for the tip.
TipResult RequestInfoTip(const std::string& path);
