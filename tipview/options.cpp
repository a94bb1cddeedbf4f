#include "options.h"

#include <cstring>

bool ParseOptions(int argc, char** argv, Options* options, std::string* error) {
  const char* usage = "usage: tipview FOLDER [icon|report|list] [--layout FILE] [--log FILE]";
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (!strcmp(a, "--layout") && i + 1 < argc) {
      options->layoutFile = argv[++i];
    } else if (!strcmp(a, "--log") && i + 1 < argc) {
      options->logFile = argv[++i];
    } else if (!strcmp(a, "icon")) {
      options->view = View::Icon;
    } else if (!strcmp(a, "report")) {
      options->view = View::Report;
    } else if (!strcmp(a, "list")) {
      options->view = View::List;
    } else if (a[0] != '-' && options->folder.empty()) {
      options->folder = a;
    } else {
      *error = usage;
      return false;
    }
  }
  if (options->folder.empty()) {
    *error = usage;
    return false;
  }
  while (options->folder.size() > 3 && (options->folder.back() == '\\' || options->folder.back() == '/'))
    options->folder.pop_back();
  return true;
}
