#include "sound/sound_report.h"

#include <cstdio>

#include "platform/system/error_lines.h"
#include "platform/system/terminal_text.h"

void ReportSoundError(const char* kind, std::uint32_t id, const std::string& what) {
  char name[16];
  bool printable = true;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const auto c = static_cast<unsigned char>(id >> shift);
    printable = printable && c >= 0x20 && c < 0x7F;
  }
  if (printable) {
    std::snprintf(name, sizeof name, "'%c%c%c%c'", static_cast<char>(id >> 24), static_cast<char>(id >> 16),
                  static_cast<char>(id >> 8), static_cast<char>(id));
  } else {
    std::snprintf(name, sizeof name, "%u", id);
  }
  WriteErrorLineOnce(std::string("t3dplayer: ") + kind + " " + name + ": " + what + "\n");
}

void ReportUnreadableSoundFile(const char* kind, std::uint32_t id, const char* file) {
  ReportSoundError(kind, id, "cannot read \"" + ContentTextForTerminal(file) + "\"");
}
