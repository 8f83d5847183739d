// "wuvorbis.so": the Ogg Vorbis entry points the player resolves by name, each
// a thin call onto libvorbisfile. The decoder state is the caller's memory:
// libvorbisfile's own record followed by the WuInfo that wu_ov_info answers.
// Test builds define WU_OMIT_CROSSLAP (one name missing) or
// WU_REPORTED_STATE_SIZE (a state larger than the player allows).
#include <vorbis/vorbisfile.h>

#include <cstring>

#include "platform/oggshim/wuvorbis_api.h"

#define WU_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct WuState {
  OggVorbis_File file;
  WuInfo info;
};

OggVorbis_File* File(void* state) { return &static_cast<WuState*>(state)->file; }

ov_callbacks ToOv(const WuCallbacks& callbacks) {
  ov_callbacks ov{};
  ov.read_func = callbacks.read;
  ov.seek_func = callbacks.seek;
  ov.close_func = callbacks.close;
  ov.tell_func = callbacks.tell;
  return ov;
}

}  // namespace

WU_EXPORT int Query_sizeof_OggVorbis_File() {
#ifdef WU_REPORTED_STATE_SIZE
  return WU_REPORTED_STATE_SIZE;
#else
  return static_cast<int>(sizeof(WuState));
#endif
}

WU_EXPORT int wu_ov_clear(void* state) { return ov_clear(File(state)); }
WU_EXPORT int wu_ov_open_callbacks(void* source, void* state, const char* initial, long bytes,
                                   WuCallbacks callbacks) {
  return ov_open_callbacks(source, File(state), initial, bytes, ToOv(callbacks));
}
WU_EXPORT int wu_ov_test_callbacks(void* source, void* state, const char* initial, long bytes,
                                   WuCallbacks callbacks) {
  return ov_test_callbacks(source, File(state), initial, bytes, ToOv(callbacks));
}
WU_EXPORT int wu_ov_test_open(void* state) { return ov_test_open(File(state)); }
WU_EXPORT long wu_ov_bitrate(void* state, int link) { return ov_bitrate(File(state), link); }
WU_EXPORT long wu_ov_bitrate_instant(void* state) { return ov_bitrate_instant(File(state)); }
WU_EXPORT long wu_ov_streams(void* state) { return ov_streams(File(state)); }
WU_EXPORT long wu_ov_seekable(void* state) { return ov_seekable(File(state)); }
WU_EXPORT long wu_ov_serialnumber(void* state, int link) { return ov_serialnumber(File(state), link); }
WU_EXPORT ogg_int64_t wu_ov_raw_total(void* state, int link) { return ov_raw_total(File(state), link); }
WU_EXPORT ogg_int64_t wu_ov_pcm_total(void* state, int link) { return ov_pcm_total(File(state), link); }
WU_EXPORT double wu_ov_time_total(void* state, int link) { return ov_time_total(File(state), link); }
WU_EXPORT int wu_ov_raw_seek(void* state, ogg_int64_t at) { return ov_raw_seek(File(state), at); }
WU_EXPORT int wu_ov_pcm_seek(void* state, ogg_int64_t at) { return ov_pcm_seek(File(state), at); }
WU_EXPORT int wu_ov_pcm_seek_page(void* state, ogg_int64_t at) { return ov_pcm_seek_page(File(state), at); }
WU_EXPORT int wu_ov_time_seek(void* state, double at) { return ov_time_seek(File(state), at); }
WU_EXPORT int wu_ov_time_seek_page(void* state, double at) { return ov_time_seek_page(File(state), at); }
WU_EXPORT int wu_ov_raw_seek_lap(void* state, ogg_int64_t at) { return ov_raw_seek_lap(File(state), at); }
WU_EXPORT int wu_ov_pcm_seek_lap(void* state, ogg_int64_t at) { return ov_pcm_seek_lap(File(state), at); }
WU_EXPORT int wu_ov_pcm_seek_page_lap(void* state, ogg_int64_t at) {
  return ov_pcm_seek_page_lap(File(state), at);
}
WU_EXPORT int wu_ov_time_seek_lap(void* state, double at) { return ov_time_seek_lap(File(state), at); }
WU_EXPORT int wu_ov_time_seek_page_lap(void* state, double at) { return ov_time_seek_page_lap(File(state), at); }
WU_EXPORT ogg_int64_t wu_ov_raw_tell(void* state) { return ov_raw_tell(File(state)); }
WU_EXPORT ogg_int64_t wu_ov_pcm_tell(void* state) { return ov_pcm_tell(File(state)); }
WU_EXPORT double wu_ov_time_tell(void* state) { return ov_time_tell(File(state)); }

WU_EXPORT const WuInfo* wu_ov_info(void* state, int link) {
  const vorbis_info* info = ov_info(File(state), link);
  if (!info) return nullptr;
  WuInfo& out = static_cast<WuState*>(state)->info;
  out.version = info->version;
  out.channels = info->channels;
  out.rate = static_cast<std::int32_t>(info->rate);
  return &out;
}

WU_EXPORT vorbis_comment* wu_ov_comment(void* state, int link) { return ov_comment(File(state), link); }
WU_EXPORT long wu_ov_read_float(void* state, float*** pcm, int samples, int* section) {
  return ov_read_float(File(state), pcm, samples, section);
}
WU_EXPORT long wu_ov_read(void* state, char* destination, int bytes, int bigEndian, int wordSize, int isSigned,
                          int* section) {
  return ov_read(File(state), destination, bytes, bigEndian, wordSize, isSigned, section);
}

#ifndef WU_OMIT_CROSSLAP
WU_EXPORT int wu_ov_crosslap(void* first, void* second) { return ov_crosslap(File(first), File(second)); }
#endif

// libvorbis has a single code path: there is no processor type to choose and
// nothing to scale.
WU_EXPORT int wu_DetectCPU() { return 0; }
WU_EXPORT int wu_SetCPUType(int) { return 0; }
WU_EXPORT int wu_ScaleOutput(int) { return 0; }
