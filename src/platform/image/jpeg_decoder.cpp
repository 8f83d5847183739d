// JPEG through libjpeg(-turbo). Its error manager leaves by longjmp; the
// decoding function holds only plain data, so the jump skips no destructor.
#include <cstddef>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include <csetjmp>
#include <cstring>
#include <new>

#include "platform/image/image.h"
#include "platform/image/image_internal.h"

namespace {

// A progressive file may repeat scans without end; every real one has a
// handful. The working memory of one decode is bounded as well.
constexpr int kMaxJpegScans = 500;
constexpr long kMaxJpegWorkingMemory = 512L << 20;

struct JpegJob {
  jpeg_error_mgr errors;  // first, so the library's pointer is the job's
  jpeg_progress_mgr progress;
  std::jmp_buf jump;
  Image* out = nullptr;
  bool headerOnly = false;  // only the size into *out
  std::vector<std::uint8_t> cmykRow;
  char message[JMSG_LENGTH_MAX] = {};
};

JpegJob* JobOf(j_common_ptr info) { return reinterpret_cast<JpegJob*>(info->err); }

void OnErrorExit(j_common_ptr info) {
  JpegJob* job = JobOf(info);
  (*info->err->format_message)(info, job->message);
  std::longjmp(job->jump, 1);
}

void OnOutputMessage(j_common_ptr) {}

void OnProgress(j_common_ptr info) {
  if (!info->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans) {
    JpegJob* job = JobOf(info);
    std::snprintf(job->message, sizeof job->message, "too many scans");
    std::longjmp(job->jump, 1);
  }
}

// Adobe writes CMYK inverted (as most files are); others store ink amounts.
void CmykToRgba(const std::uint8_t* cmyk, std::uint32_t width, bool inverted, std::uint8_t* rgba) {
  for (std::uint32_t x = 0; x < width; ++x, cmyk += 4, rgba += 4) {
    int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    rgba[0] = static_cast<std::uint8_t>(c * k / 255);
    rgba[1] = static_cast<std::uint8_t>(m * k / 255);
    rgba[2] = static_cast<std::uint8_t>(y * k / 255);
    rgba[3] = 255;
  }
}

// Holds no object with a destructor: the error manager may jump back into it.
bool RunDecoder(std::span<const std::uint8_t> file, JpegJob* job) {
  jpeg_decompress_struct info;
  info.err = jpeg_std_error(&job->errors);
  job->errors.error_exit = OnErrorExit;
  job->errors.output_message = OnOutputMessage;
  if (setjmp(job->jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  job->progress.progress_monitor = OnProgress;
  info.progress = &job->progress;
  info.mem->max_memory_to_use = kMaxJpegWorkingMemory;
  jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    std::snprintf(job->message, sizeof job->message, "no image in the file");
    jpeg_destroy_decompress(&info);
    return false;
  }
  if (!ImageSizeAllowed(info.image_width, info.image_height)) {
    std::snprintf(job->message, sizeof job->message, "the image is too large");
    jpeg_destroy_decompress(&info);
    return false;
  }
  if (job->headerOnly) {
    job->out->width = info.image_width;
    job->out->height = info.image_height;
    jpeg_destroy_decompress(&info);
    return true;
  }
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
  jpeg_start_decompress(&info);
  if (info.output_width != info.image_width || info.output_height != info.image_height ||
      info.output_components != 4) {
    std::snprintf(job->message, sizeof job->message, "unexpected output layout");
    jpeg_destroy_decompress(&info);
    return false;
  }
  const std::uint32_t width = info.output_width;
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  if (!image_internal::TryResize(job->out->pixels, stride * info.output_height) ||
      (cmyk && !image_internal::TryResize(job->cmykRow, stride))) {
    // The library's state goes before the failure leaves: no jump is pending.
    jpeg_destroy_decompress(&info);
    throw std::bad_alloc();
  }
  job->out->width = width;
  job->out->height = info.output_height;
  while (info.output_scanline < info.output_height) {
    std::uint8_t* row = job->out->pixels.data() + stride * info.output_scanline;
    JSAMPROW target = cmyk ? job->cmykRow.data() : row;
    if (jpeg_read_scanlines(&info, &target, 1) != 1) {
      std::snprintf(job->message, sizeof job->message, "the scan lines stop early");
      jpeg_destroy_decompress(&info);
      return false;
    }
    if (cmyk) CmykToRgba(job->cmykRow.data(), width, info.saw_Adobe_marker, row);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

namespace image_internal {

bool ReadJpegSize(std::span<const std::uint8_t> file, std::uint32_t* width, std::uint32_t* height) {
  if (file.empty()) return false;
  Image size;
  JpegJob job;
  job.out = &size;
  job.headerOnly = true;
  if (!RunDecoder(file, &job)) return false;
  *width = size.width;
  *height = size.height;
  return true;
}

}  // namespace image_internal

bool DecodeJpeg(std::span<const std::uint8_t> file, Image* out, std::string* error) {
  *out = Image{};
  if (file.empty()) return image_internal::Fail(out, error, "JPEG", "the file is empty");
  JpegJob job;
  job.out = out;
  if (!RunDecoder(file, &job)) return image_internal::Fail(out, error, "JPEG", job.message);
  return true;
}
