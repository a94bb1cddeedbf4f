// Command line of tipview.
#pragma once
#include <string>

enum class View { Icon, Report, List };

struct Options {
  std::string folder;
  View view = View::Report;
  std::string layoutFile;  // write the items' screen rectangles here once shown
  std::string logFile;     // append a line per tip request here
};

// FOLDER [icon|report|list] [--layout FILE] [--log FILE]
bool ParseOptions(int argc, char** argv, Options* options, std::string* error);
