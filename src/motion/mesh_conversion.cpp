// The conversion checks: file times, where the files lie and what the output is.
#include "motion/mesh_conversion.h"

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "platform/system/content_path.h"
#include "platform/system/terminal_text.h"

namespace {

// The file the converter copies first: content that overwrote it would
// bring its own text into every later conversion.
constexpr char kTemplateName[] = "Template.x";

// The last-write time of a regular file on disk, in nanoseconds.
bool LastWriteTime(std::string_view name, std::int64_t& time) {
  std::string diskPath;
  if (!FindFileOnDisk(name, diskPath)) return false;
  struct stat info {};
  if (stat(diskPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  time = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return true;
}

std::string Quoted(const std::string& path) { return "\"" + DiskTextForTerminal(path) + "\""; }

bool EndsInX(std::string_view name) {
  return name.size() > 2 && EqualsIgnoreAsciiCase(name.substr(name.size() - 2), ".x");
}

}  // namespace

bool IsMeshConversionDue(std::string_view mqoPath, std::string_view xPath) {
  std::int64_t source = 0;
  if (!LastWriteTime(mqoPath, source)) return false;
  std::int64_t target = 0;
  return !LastWriteTime(xPath, target) || source > target;
}

bool OpenConversionOutput(std::string_view mqoPath, std::string_view xPath, FolderAndName& output, std::string& why) {
  const std::string program = ProgramDir();
  const std::string x = DiskPathToWrite(xPath);
  std::string mqo;
  if (!FindFileOnDisk(mqoPath, mqo)) mqo = NormalizeGamePath(mqoPath);
  for (const std::string& path : {x, mqo}) {
    std::string real;
    if (!LiesInsideFolder(path, program, &real)) {
      const std::string where = real == path ? " lies" : " leads to " + Quoted(real) + ",";
      why = Quoted(path) + where + " outside the program's folder";
      return false;
    }
  }
  output = OpenFolderOfFile(x);
  if (!EndsInX(output.name)) {
    why = Quoted(x) + " is not a .x file";
    return false;
  }
  if (!output.folder.IsOpen()) {
    why = "the .x file cannot be written";
    return false;
  }
  // Asked again of the folder now held: the names above may have led
  // elsewhere by the time it was opened.
  if (!output.folder.LiesWithin(program)) {
    why = Quoted(x) + " lies outside the program's folder";
    return false;
  }
  if (output.folder.IsFolder(program) && EqualsIgnoreAsciiCase(output.name, kTemplateName)) {
    why = Quoted(x) + " is the program's own \"" + kTemplateName + "\"";
    return false;
  }
  return true;
}
