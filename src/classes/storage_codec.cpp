// The settings codec.
#include "classes/storage_codec.h"

#include "platform/system/random.h"

namespace {

// Each step is taken modulo 256; only the low 8 bits of r >> 4 and r >> 8 count.
unsigned char Scramble(unsigned c, int r) {
  const unsigned u = static_cast<unsigned>(r);
  return static_cast<unsigned char>((((c + (u & 0xFF)) & 0xFF) ^ ((u >> 4) & 0xFF)) - ((u >> 8) & 0xFF));
}

unsigned char Unscramble(unsigned v, int r) {
  const unsigned u = static_cast<unsigned>(r);
  return static_cast<unsigned char>((((v + ((u >> 8) & 0xFF)) & 0xFF) ^ ((u >> 4) & 0xFF)) - (u & 0xFF));
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void AppendHex(std::string& out, unsigned char byte) {
  static const char kDigits[] = "0123456789ABCDEF";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0x0F];
}

}  // namespace

// The generator here is a private one seeded with the key: the sequence is
// what the file format needs, and the shared generator that scripts draw from
// is reseeded by Storage after every use anyway.
std::string EncodeStorageText(int key, std::string_view plain) {
  RandomGenerator generator(static_cast<std::uint32_t>(key));
  std::string out;
  out.reserve(plain.size() * 2 + 2);
  unsigned sum = 0;
  for (char ch : plain) {
    const unsigned c = static_cast<unsigned char>(ch);
    AppendHex(out, Scramble(c, generator.Next()));
    sum = (sum + c) & 0xFF;
  }
  AppendHex(out, Scramble(sum, generator.Next()));
  return out;
}

bool DecodeStorageText(int key, std::string_view encoded, std::string& plain) {
  if (encoded.size() < 2 || encoded.size() % 2 != 0) return false;
  RandomGenerator generator(static_cast<std::uint32_t>(key));
  std::string out;
  out.reserve(encoded.size() / 2);
  unsigned sum = 0;
  for (std::size_t i = 0; i < encoded.size(); i += 2) {
    const int high = HexDigit(encoded[i]);
    const int low = HexDigit(encoded[i + 1]);
    if (high < 0 || low < 0) return false;
    const unsigned char p = Unscramble(static_cast<unsigned>(high * 16 + low), generator.Next());
    if (i + 2 < encoded.size()) {
      out += static_cast<char>(p);
      sum = (sum + p) & 0xFF;
    } else if (p != sum) {
      return false;
    }
  }
  plain = std::move(out);
  return true;
}
