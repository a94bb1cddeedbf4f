// tipdrive: rests the real pointer on each item of a tipview window in turn,
// as a person would, and records what the tip popup showed: whether it came
// up, its size, its caption strip (compared with the expected caption drawn
// the same way), its picture, animation, and that it hides when the pointer
// leaves. Used by `make demo` and by the whole-road tests.
//
//   tipdrive.exe TIPVIEW FOLDER VIEW MANIFEST OUTDIR
//
// Writes OUTDIR\<file>.bmp for every tip shown and OUTDIR\results.tsv, prints
// a table, and exits 0 when every file behaved as the manifest expects.
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

#include "expectations.h"
#include "screen.h"

namespace {

const char kPopupClass[] = "ZoDibWndClass";

struct PopupSearch {
  HWND found = nullptr;
};

BOOL CALLBACK FindVisiblePopup(HWND hwnd, LPARAM lParam) {
  char name[64];
  if (IsWindowVisible(hwnd) && GetClassNameA(hwnd, name, sizeof name) && !lstrcmpA(name, kPopupClass)) {
    reinterpret_cast<PopupSearch*>(lParam)->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND VisiblePopup() {
  PopupSearch s;
  EnumWindows(FindVisiblePopup, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// Waits until the popup is visible (or hidden), polling; true if it happened.
bool WaitPopup(bool visible, DWORD ms, HWND* popup) {
  const DWORD start = GetTickCount();
  do {
    HWND h = VisiblePopup();
    if ((h != nullptr) == visible) {
      if (popup) *popup = h;
      return true;
    }
    Sleep(20);
  } while (GetTickCount() - start < ms);
  return false;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::map<std::string, std::string> TipLatencies(const std::string& log) {
  std::map<std::string, std::string> ms;
  FILE* f = fopen(log.c_str(), "r");
  if (!f) return ms;
  char line[1024];
  while (fgets(line, sizeof line, f)) {
    char name[512], hr[32], t[32];
    if (sscanf(line, "%511[^\t]\t%31[^\t]\t%31[^\t\n]", name, hr, t) == 3) ms[name] = t;  // the last request wins
  }
  fclose(f);
  return ms;
}

struct Outcome {
  bool shown = false, hides = false, captionOk = false, pictureOk = true, plays = false;
  long cx = 0, cy = 0;
  bool ok = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    fprintf(stderr, "usage: tipdrive TIPVIEW FOLDER VIEW MANIFEST OUTDIR\n");
    return 2;
  }
  const std::string tipview = argv[1], folder = argv[2], view = argv[3], out = argv[5];
  const std::vector<Sample> samples = ReadManifest(argv[4]);
  const std::string layout = out + "\\layout.txt", log = out + "\\tips.log";
  CreateDirectoryA(out.c_str(), nullptr);
  DeleteFileA(layout.c_str());
  DeleteFileA(log.c_str());

  std::string cmd = "\"" + tipview + "\" \"" + folder + "\" " + view + " --layout \"" + layout + "\" --log \"" + log + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    fprintf(stderr, "tipdrive: cannot start %s\n", tipview.c_str());
    return 1;
  }
  for (int i = 0; i < 300 && !FileExists(layout); ++i) Sleep(50);
  Sleep(300);
  const std::vector<Item> items = ReadLayout(layout);
  if (items.empty()) {
    fprintf(stderr, "tipdrive: tipview showed no items\n");
    TerminateProcess(pi.hProcess, 1);
    return 1;
  }
  // A resting place for the pointer away from every item and every popup:
  // the screen's far corner, outside tipview's window.
  const long parkX = GetSystemMetrics(SM_CXSCREEN) - 4, parkY = GetSystemMetrics(SM_CYSCREEN) - 4;

  std::map<std::string, Outcome> outcomes;
  for (const Item& item : items) {
    const Sample* sample = nullptr;
    for (const Sample& s : samples)
      if (s.name == item.name) sample = &s;
    if (!sample) continue;
    Outcome& o = outcomes[item.name];
    SetCursorPos(parkX, parkY);
    WaitPopup(false, 2000, nullptr);
    Sleep(150);
    const long x = item.left + ((item.right - item.left) > 24 ? 12 : (item.right - item.left) / 2);
    const long y = (item.top + item.bottom) / 2;
    SetCursorPos(x - 2, y);
    Sleep(40);
    SetCursorPos(x, y);  // and rest there

    HWND popup = nullptr;
    o.shown = WaitPopup(true, sample->expect == Expect::Nothing ? 2500 : 5000, &popup);
    if (o.shown) {
      Sleep(250);  // let it paint (and an animation draw its first frame)
      RECT rc;
      GetWindowRect(popup, &rc);
      o.cx = rc.right - rc.left;
      o.cy = rc.bottom - rc.top;
      const Picture shot = CaptureScreen(rc);
      SaveBmp(shot, out + "\\" + item.name + ".bmp");
      o.captionOk = StripMatch(shot, RenderStrip(sample->caption, o.cx)) >= 0.98;
      if (sample->quadrants) o.pictureOk = ShowsQuadrants(shot);
      if (sample->expect == Expect::Animated) {
        // Frames must follow each other: look a few times over about a second.
        for (int i = 0; i < 8 && !o.plays; ++i) {
          Sleep(150);
          o.plays = ChangedShare(shot, CaptureScreen(rc)) > 0.05;
        }
      }
      SetCursorPos(parkX, parkY);
      o.hides = WaitPopup(false, 2000, nullptr);
    }
    switch (sample->expect) {
      case Expect::Still: o.ok = o.shown && o.captionOk && o.pictureOk && o.hides; break;
      case Expect::Animated: o.ok = o.shown && o.captionOk && o.plays && o.hides; break;
      case Expect::Nothing: o.ok = !o.shown; break;
    }
  }
  SetCursorPos(parkX, parkY);
  Sleep(200);

  DWORD code = 0;
  const bool alive = GetExitCodeProcess(pi.hProcess, &code) && code == STILL_ACTIVE;
  const auto latency = TipLatencies(log);
  FILE* tsv = fopen((out + "\\results.tsv").c_str(), "w");
  printf("%-24s %-6s %-9s %-22s %-8s %s\n", "file", "shown", "size", "caption", "tip ms", "result");
  bool all = alive;
  for (const Sample& s : samples) {
    const auto it = outcomes.find(s.name);
    if (it == outcomes.end()) {
      printf("%-24s not listed by tipview\n", s.name.c_str());
      all = false;
      continue;
    }
    const Outcome& o = it->second;
    char size[32] = "-";
    if (o.shown) snprintf(size, sizeof size, "%ldx%ld", o.cx, o.cy);
    std::string caption = !o.shown ? "-" : o.captionOk ? s.caption : "(not " + s.caption + ")";
    std::string notes;
    if (o.shown && s.quadrants && !o.pictureOk) notes += " picture-wrong";
    if (s.expect == Expect::Animated && o.shown) notes += o.plays ? " plays" : " still";
    if (o.shown && !o.hides) notes += " stays-up";
    const auto ms = latency.find(s.name);
    const std::string tipMs = ms == latency.end() ? "-" : ms->second;
    printf("%-24s %-6s %-9s %-22s %-8s %s%s\n", s.name.c_str(), o.shown ? "yes" : "no", size, caption.c_str(),
           tipMs.c_str(), o.ok ? "ok" : "FAIL", notes.c_str());
    if (tsv)
      fprintf(tsv, "%s\t%s\t%s\t%s\t%s\t%s%s\n", s.name.c_str(), o.shown ? "yes" : "no", size, caption.c_str(),
              tipMs.c_str(), o.ok ? "ok" : "FAIL", notes.c_str());
    all = all && o.ok;
  }
  if (tsv) fclose(tsv);
  if (!alive) printf("tipview is no longer running\n");

  HWND main = FindWindowA("TipViewWindow", nullptr);
  if (main) PostMessageA(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return all ? 0 : 1;
}
