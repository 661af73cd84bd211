#include <vantor/platform/ui/window_host.h>

namespace vantor {

namespace {

TWindowHost* g_host = nullptr;

std::string& LocalClipboard() {
  static std::string text;
  return text;
}

}  // namespace

TWindowHost* WindowHost() { return g_host; }

void SetWindowHost(TWindowHost* host) { g_host = host; }

std::string ClipboardText() { return g_host != nullptr ? g_host->ClipboardText() : LocalClipboard(); }

void SetClipboardText(const std::string& text) {
  if (g_host != nullptr) {
    g_host->SetClipboardText(text);
  } else {
    LocalClipboard() = text;
  }
}

}  // namespace vantor
