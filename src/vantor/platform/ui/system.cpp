#include <vantor/platform/ui/system.h>

#include <algorithm>
#include <map>

namespace vantor {

namespace {

// The classic desktop at 96 dots per inch, 1024 x 768 pixels.
int ClassicMetric(int index) {
  switch (index) {
    case SM_CXSCREEN: return 1024;
    case SM_CYSCREEN: return 768;
    case SM_CXVSCROLL: return 16;
    case SM_CYHSCROLL: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER: return 1;
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: return 3;
    case SM_CYDLGFRAME: return 3;
    case SM_CYVTHUMB: return 16;
    case SM_CXHTHUMB: return 16;
    case SM_CXICON: return 32;
    case SM_CYICON: return 32;
    case SM_CXCURSOR: return 32;
    case SM_CYCURSOR: return 32;
    case SM_CYMENU: return 19;
    case SM_CXFULLSCREEN: return 1024;
    case SM_CYFULLSCREEN: return 768 - 19 - 28;  // less the caption and the task bar
    case SM_MOUSEPRESENT: return 1;
    case SM_CYVSCROLL: return 16;
    case SM_CXHSCROLL: return 16;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXSIZE: return 18;
    case SM_CYSIZE: return 18;
    case SM_CXFRAME: return 4;
    case SM_CYFRAME: return 4;
    case SM_CXMINTRACK: return 112;
    case SM_CYMINTRACK: return 27;
    case SM_CXDOUBLECLK: return 4;
    case SM_CYDOUBLECLK: return 4;
    case SM_CXEDGE: return 2;
    case SM_CYEDGE: return 2;
    case SM_CXSMICON: return 16;
    case SM_CYSMICON: return 16;
    case SM_CYSMCAPTION: return 15;
    default: return 0;
  }
}

std::map<int, int>& Overrides() {
  static std::map<int, int> overrides;
  return overrides;
}

std::vector<std::uint32_t>& Beeps() {
  static std::vector<std::uint32_t> beeps;
  return beeps;
}

bool g_new_style_controls = true;

}  // namespace

bool IntersectRect(TRect& dest, const TRect& a, const TRect& b) {
  dest = {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
  if (dest.IsEmpty()) {
    dest = {};
    return false;
  }
  return true;
}

int GetSystemMetrics(int index) {
  auto it = Overrides().find(index);
  return it != Overrides().end() ? it->second : ClassicMetric(index);
}

void SetSystemMetric(int index, int value) { Overrides()[index] = value; }

void ResetSystemMetrics() { Overrides().clear(); }

void MessageBeep(std::uint32_t type) { Beeps().push_back(type); }

const std::vector<std::uint32_t>& BeepLog() { return Beeps(); }

void ClearBeepLog() { Beeps().clear(); }

bool NewStyleControls() { return g_new_style_controls; }

void SetNewStyleControls(bool value) { g_new_style_controls = value; }

}  // namespace vantor
