// The conversion checks: file times, and where the files lie.
#include "motion/mesh_conversion.h"

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "platform/system/content_path.h"

namespace {

// The last-write time of a regular file on disk, in nanoseconds.
bool LastWriteTime(std::string_view name, std::int64_t& time) {
  std::string diskPath;
  if (!FindFileOnDisk(name, diskPath)) return false;
  struct stat info {};
  if (stat(diskPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  time = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return true;
}

}  // namespace

bool IsMeshConversionDue(std::string_view mqoPath, std::string_view xPath) {
  std::int64_t source = 0;
  if (!LastWriteTime(mqoPath, source)) return false;
  std::int64_t target = 0;
  return !LastWriteTime(xPath, target) || source > target;
}

bool ConversionStaysInProgramFolder(std::string_view mqoPath, std::string_view xPath, std::string& why) {
  const std::string program = ProgramDir();
  std::string mqo;
  if (!FindFileOnDisk(mqoPath, mqo)) mqo = NormalizeContentPath(mqoPath);
  for (const std::string& path : {DiskPathToWrite(xPath), mqo}) {
    std::string real;
    if (!LiesInsideFolder(path, program, &real)) {
      const std::string where = real == path ? "\" lies" : "\" leads to \"" + real + "\",";
      why = "\"" + path + where + " outside the program's folder";
      return false;
    }
  }
  return true;
}
