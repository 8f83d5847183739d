// PNG through libpng. libpng reports errors by a longjmp out of its error
// callback; everything that lives across the jump is plain data, so the jump
// skips no destructor and no C++ exception ever meets libpng's frames.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/image/image.h"
#include "platform/image/image_internal.h"

namespace {

// The most libpng may allocate for one ancillary chunk (text, profiles); the
// pixels are bounded separately by the image size.
constexpr png_alloc_size_t kMaxPngChunkBytes = 8u << 20;

struct PngJob {
  std::span<const std::uint8_t> file;
  std::size_t offset = 0;
  Image* out = nullptr;
  std::vector<png_bytep> rows;
  char message[200] = {};
};

void ReadBytes(png_structp png, png_bytep buffer, std::size_t count) {
  auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
  if (count > job->file.size() - job->offset) png_error(png, "the file ends early");
  std::memcpy(buffer, job->file.data() + job->offset, count);
  job->offset += count;
}

void OnError(png_structp png, png_const_charp message) {
  auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
  std::snprintf(job->message, sizeof job->message, "%s", message ? message : "unknown error");
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Holds no object with a destructor: libpng may jump back into it.
bool RunDecoder(PngJob* job) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, OnError, OnWarning);
  if (!png) {
    std::snprintf(job->message, sizeof job->message, "out of memory");
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    std::snprintf(job->message, sizeof job->message, "out of memory");
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, job, ReadBytes);
  png_set_user_limits(png, kMaxImageDimension, kMaxImageDimension);
  png_set_chunk_malloc_max(png, kMaxPngChunkBytes);
  png_read_info(png, info);

  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (!ImageSizeAllowed(width, height)) png_error(png, "the image is too large");
  const int colorType = png_get_color_type(png, info);
  const int bitDepth = png_get_bit_depth(png, info);
  // Every layout becomes 8-bit RGBA. No gamma conversion: the texture loader
  // the content was made for takes the stored values as they are.
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  const bool hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (hasTransparency) png_set_tRNS_to_alpha(png);
  if (bitDepth == 16) png_set_strip_16(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_gray_to_rgb(png);
  }
  if (!(colorType & PNG_COLOR_MASK_ALPHA) && !hasTransparency) {
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  if (png_get_rowbytes(png, info) != stride) png_error(png, "unexpected row layout");

  if (!image_internal::TryResize(job->out->pixels, stride * height) || !image_internal::TryResize(job->rows, height)) {
    // libpng's state goes before the failure leaves: no jump is pending.
    png_destroy_read_struct(&png, &info, nullptr);
    throw std::bad_alloc();
  }
  job->out->width = width;
  job->out->height = height;
  for (png_uint_32 y = 0; y < height; ++y) job->rows[y] = job->out->pixels.data() + stride * y;
  png_read_image(png, job->rows.data());
  // The chunks after the pixels are not read: trailing damage costs nothing
  // the picture needs.
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

namespace image_internal {

// The signature, then the IHDR chunk, which must come first: its length and
// name, then width and height, big-endian.
bool ReadPngSize(std::span<const std::uint8_t> file, std::uint32_t* width, std::uint32_t* height) {
  if (file.size() < 24 || std::memcmp(file.data() + 12, "IHDR", 4) != 0) return false;
  const auto bigEndian = [&](std::size_t at) {
    return static_cast<std::uint32_t>(file[at]) << 24 | static_cast<std::uint32_t>(file[at + 1]) << 16 |
           static_cast<std::uint32_t>(file[at + 2]) << 8 | file[at + 3];
  };
  *width = bigEndian(16);
  *height = bigEndian(20);
  return ImageSizeAllowed(*width, *height);
}

}  // namespace image_internal

bool DecodePng(std::span<const std::uint8_t> file, Image* out, std::string* error) {
  *out = Image{};
  PngJob job;
  job.file = file;
  job.out = out;
  if (!RunDecoder(&job)) return image_internal::Fail(out, error, "PNG", job.message);
  return true;
}
