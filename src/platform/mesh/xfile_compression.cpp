// MSZIP inflate and deflate of .x bodies through zlib's raw streams.
#include "platform/mesh/xfile_compression.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "platform/mesh/xfile_lexer.h"

namespace {

constexpr std::size_t kBlockSize = 32768;
constexpr std::size_t kWindow = 32768;

std::uint32_t ReadLe32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t ReadLe16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

void PutLe16(std::vector<std::uint8_t>* out, std::size_t at, std::uint16_t v) {
  (*out)[at] = static_cast<std::uint8_t>(v);
  (*out)[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

struct Inflater {
  z_stream stream{};
  bool ready = false;
  Inflater() { ready = inflateInit2(&stream, -MAX_WBITS) == Z_OK; }
  ~Inflater() {
    if (ready) inflateEnd(&stream);
  }
};

struct Deflater {
  z_stream stream{};
  bool ready = false;
  Deflater() {
    ready = deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                         Z_DEFAULT_STRATEGY) == Z_OK;
  }
  ~Deflater() {
    if (ready) deflateEnd(&stream);
  }
};

bool Fail(std::string* error, const char* message) {
  if (error) *error = message;
  return false;
}

}  // namespace

bool DecompressXFile(std::span<const std::uint8_t> file, std::vector<std::uint8_t>* out,
                     std::string* error) {
  XFileHeader header;
  if (!ParseXFileHeader(file, &header, error)) return false;
  if (!header.compressed) return Fail(error, "the .x file is not compressed");
  if (file.size() < kXFileHeaderSize + 4) return Fail(error, "compressed .x file is truncated");
  // The declared size counts the header as well as the inflated body.
  const std::uint32_t total = ReadLe32(file.data() + kXFileHeaderSize);
  if (total < kXFileHeaderSize || total > kMaxXFileInflatedSize) {
    return Fail(error, "compressed .x file declares an impossible size");
  }
  Inflater inflater;
  if (!inflater.ready) return Fail(error, "cannot start inflating");

  std::vector<std::uint8_t> result(file.begin(), file.begin() + kXFileHeaderSize);
  std::memcpy(result.data() + 8, header.encoding == XFileEncoding::Text ? "txt " : "bin ", 4);
  // The declared size is only a claim: reserve no more than the data could
  // plausibly inflate to, and let the vector grow past that if it must.
  result.reserve(std::min<std::size_t>(total, file.size() * 64));
  std::size_t pos = kXFileHeaderSize + 4;
  while (result.size() < total) {
    if (file.size() - pos < 4) return Fail(error, "compressed .x file is truncated");
    const std::size_t plainSize = ReadLe16(file.data() + pos);
    const std::size_t packedSize = ReadLe16(file.data() + pos + 2);
    pos += 4;
    if (packedSize < 2 || packedSize > file.size() - pos) {
      return Fail(error, "compressed block runs past the end of the file");
    }
    if (file[pos] != 'C' || file[pos + 1] != 'K') {
      return Fail(error, "compressed block does not start with \"CK\"");
    }
    if (plainSize == 0 || plainSize > total - result.size()) {
      return Fail(error, "compressed block sizes disagree with the file size");
    }
    z_stream& z = inflater.stream;
    if (inflateReset(&z) != Z_OK) return Fail(error, "cannot reset the inflater");
    // Each block may copy from the data before it, up to the window size.
    const std::size_t bodySoFar = result.size() - kXFileHeaderSize;
    const std::size_t dictionary = std::min(bodySoFar, kWindow);
    if (dictionary > 0 &&
        inflateSetDictionary(&z, result.data() + result.size() - dictionary,
                             static_cast<uInt>(dictionary)) != Z_OK) {
      return Fail(error, "cannot set the inflate dictionary");
    }
    const std::size_t start = result.size();
    result.resize(start + plainSize);
    z.next_in = const_cast<Bytef*>(file.data() + pos + 2);
    z.avail_in = static_cast<uInt>(packedSize - 2);
    z.next_out = result.data() + start;
    z.avail_out = static_cast<uInt>(plainSize);
    const int status = inflate(&z, Z_FINISH);
    if (status != Z_STREAM_END || z.avail_out != 0) {
      return Fail(error, "compressed block is corrupt or has the wrong size");
    }
    pos += packedSize;
  }
  *out = std::move(result);
  return true;
}

std::vector<std::uint8_t> CompressXFile(std::span<const std::uint8_t> file) {
  XFileHeader header;
  if (!ParseXFileHeader(file, &header, nullptr) || header.compressed) return {};
  if (file.size() > kMaxXFileInflatedSize) return {};
  Deflater deflater;
  if (!deflater.ready) return {};

  std::vector<std::uint8_t> out(file.begin(), file.begin() + kXFileHeaderSize);
  std::memcpy(out.data() + 8, header.encoding == XFileEncoding::Text ? "tzip" : "bzip", 4);
  const std::uint32_t total = static_cast<std::uint32_t>(file.size());
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(total >> (8 * i)));

  std::vector<std::uint8_t> packed(deflateBound(&deflater.stream, kBlockSize) + 16);
  for (std::size_t pos = kXFileHeaderSize; pos < file.size(); pos += kBlockSize) {
    const std::size_t plainSize = std::min(kBlockSize, file.size() - pos);
    z_stream& z = deflater.stream;
    if (deflateReset(&z) != Z_OK) return {};
    const std::size_t dictionary = std::min(pos - kXFileHeaderSize, kWindow);
    if (dictionary > 0 && deflateSetDictionary(&z, file.data() + pos - dictionary,
                                               static_cast<uInt>(dictionary)) != Z_OK) {
      return {};
    }
    z.next_in = const_cast<Bytef*>(file.data() + pos);
    z.avail_in = static_cast<uInt>(plainSize);
    z.next_out = packed.data();
    z.avail_out = static_cast<uInt>(packed.size());
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) return {};
    const std::size_t packedSize = packed.size() - z.avail_out;
    const std::size_t at = out.size();
    out.resize(at + 4);
    PutLe16(&out, at, static_cast<std::uint16_t>(plainSize));
    PutLe16(&out, at + 2, static_cast<std::uint16_t>(packedSize + 2));
    out.push_back('C');
    out.push_back('K');
    out.insert(out.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packedSize));
  }
  return out;
}
