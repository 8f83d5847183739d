// dlopen and dlsym over "wuvorbis.so".
#include "sound/vorbis_library.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <string>
#include <string_view>

#include "platform/system/content_path.h"

namespace {

// In the order they are resolved; the first is the state-size query.
constexpr const char* kNames[kVorbisNameCount] = {
    "Query_sizeof_OggVorbis_File",
    "wu_ov_clear", "wu_ov_open_callbacks", "wu_ov_test_callbacks", "wu_ov_test_open", "wu_ov_bitrate",
    "wu_ov_bitrate_instant", "wu_ov_streams", "wu_ov_seekable", "wu_ov_serialnumber", "wu_ov_raw_total",
    "wu_ov_pcm_total", "wu_ov_time_total", "wu_ov_raw_seek", "wu_ov_pcm_seek", "wu_ov_pcm_seek_page",
    "wu_ov_time_seek", "wu_ov_time_seek_page", "wu_ov_raw_seek_lap", "wu_ov_pcm_seek_lap",
    "wu_ov_pcm_seek_page_lap", "wu_ov_time_seek_lap", "wu_ov_time_seek_page_lap", "wu_ov_raw_tell",
    "wu_ov_pcm_tell", "wu_ov_time_tell", "wu_ov_info", "wu_ov_comment", "wu_ov_read_float", "wu_ov_read",
    "wu_ov_crosslap", "wu_SetCPUType", "wu_DetectCPU", "wu_ScaleOutput",
};

template <typename Fn>
Fn Entry(const VorbisLibrary& library, const char* name) {
  for (std::size_t i = 0; i < kVorbisNameCount; ++i)
    if (std::string_view(kNames[i]) == name) return reinterpret_cast<Fn>(library.symbols[i]);
  return nullptr;
}

}  // namespace

int LoadVorbisLibrary(VorbisLibrary& library, const char* path) {
  if (library.module) return kVorbisLoaded;
  const std::string file = path ? std::string(path) : ProgramDir() + kVorbisLibraryName;
  // dlopen would wait for ever on a pipe planted at the name.
  struct stat info;
  if (stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return kVorbisNotLoadable;
  library.module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library.module) return kVorbisNotLoadable;
  for (std::size_t i = 0; i < kVorbisNameCount; ++i) {
    library.symbols[i] = dlsym(library.module, kNames[i]);
    if (!library.symbols[i]) {
      UnloadVorbisLibrary(library);
      return kVorbisNameMissing;
    }
    if (i == 0) {
      const int stateSize = reinterpret_cast<WuQuerySizeFn>(library.symbols[0])();
      if (stateSize < 0 || static_cast<std::size_t>(stateSize) > kDecoderStateSize) {
        UnloadVorbisLibrary(library);
        return kVorbisStateTooLarge;
      }
    }
  }
  library.openCallbacks = Entry<WuOpenCallbacksFn>(library, "wu_ov_open_callbacks");
  library.info = Entry<WuInfoFn>(library, "wu_ov_info");
  library.read = Entry<WuReadFn>(library, "wu_ov_read");
  library.pcmSeek = Entry<WuPcmSeekFn>(library, "wu_ov_pcm_seek");
  library.timeSeek = Entry<WuTimeSeekFn>(library, "wu_ov_time_seek");
  library.clear = Entry<WuClearFn>(library, "wu_ov_clear");
  library.detectCpu = Entry<WuDetectCpuFn>(library, "wu_DetectCPU");
  library.setCpuType = Entry<WuSetCpuTypeFn>(library, "wu_SetCPUType");
  return kVorbisLoaded;
}

void UnloadVorbisLibrary(VorbisLibrary& library) {
  if (library.module) dlclose(library.module);
  library = VorbisLibrary{};
}
