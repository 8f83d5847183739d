// PNG writing through libpng, for screenshots and the pictures failing
// rendering tests leave behind. The write callback grows a malloc'd buffer,
// so nothing that can throw runs inside libpng's frames.
#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "platform/image/image.h"

namespace {

struct PngSink {
  unsigned char* bytes = nullptr;
  std::size_t size = 0;
  std::size_t capacity = 0;
  bool failed = false;
};

void WriteBytes(png_structp png, png_bytep data, std::size_t count) {
  auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
  if (sink->failed) return;
  if (count > sink->capacity - sink->size) {
    std::size_t capacity = sink->capacity != 0 ? sink->capacity : 4096;
    while (count > capacity - sink->size) capacity *= 2;
    auto* grown = static_cast<unsigned char*>(std::realloc(sink->bytes, capacity));
    if (grown == nullptr) {
      sink->failed = true;
      return;
    }
    sink->bytes = grown;
    sink->capacity = capacity;
  }
  std::memcpy(sink->bytes + sink->size, data, count);
  sink->size += count;
}

void FlushBytes(png_structp) {}

void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Holds no object with a destructor: libpng may jump back into it.
bool RunEncoder(const Image* image, png_bytep* rows, PngSink* sink) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, sink, WriteBytes, FlushBytes);
  png_set_IHDR(png, info, image->width, image->height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return !sink->failed;
}

}  // namespace

bool EncodePng(const Image& image, std::vector<std::uint8_t>* out) {
  if (image.width == 0 || image.height == 0 ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4) {
    return false;
  }
  std::vector<png_bytep> rows(image.height);
  for (std::uint32_t y = 0; y < image.height; ++y)
    rows[y] = const_cast<png_bytep>(image.pixels.data() + static_cast<std::size_t>(y) * image.width * 4);
  PngSink sink;
  const bool ok = RunEncoder(&image, rows.data(), &sink);
  if (ok) out->assign(sink.bytes, sink.bytes + sink.size);
  std::free(sink.bytes);
  return ok;
}
