// Script texts: each allocation carries its account and length before its
// first byte, so releasing it gives back exactly what making it charged.
#include "script/script_text.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "script/errors.h"

namespace {

struct TextHeader {
  ScriptTextAccount* account;
  std::size_t length;
};

// The account of the scope open now. Only a pointer: the count itself lives
// with the context that owns it, and a scope puts back what it found.
ScriptTextAccount* g_charged = nullptr;

TextHeader* HeaderOf(char* text) { return reinterpret_cast<TextHeader*>(text) - 1; }

}  // namespace

std::uint64_t script_text_internal::g_made = 0;

ScriptTextScope::ScriptTextScope(ScriptTextAccount* account) : replaced_(g_charged) { g_charged = account; }

ScriptTextScope::~ScriptTextScope() { g_charged = replaced_; }

char* NewScriptText(std::size_t length) {
  ScriptTextAccount* account = g_charged;
  // Refused before anything is allocated: the length a script asks for may
  // be far beyond what the machine has.
  if (account && (length > kMaxScriptTextLength || account->held + length > kMaxScriptTextHeld))
    throw ERR_STACK_OVERFLOW;
  if (length > SIZE_MAX - sizeof(TextHeader) - 1) throw std::bad_alloc();
  auto* header = static_cast<TextHeader*>(::operator new(sizeof(TextHeader) + length + 1));
  header->account = account;
  header->length = length;
  if (account) account->held += length;
  ++script_text_internal::g_made;
  char* text = reinterpret_cast<char*>(header + 1);
  text[length] = '\0';
  return text;
}

char* NewScriptText(const char* text, std::size_t length) {
  char* copy = NewScriptText(length);
  if (length) std::memcpy(copy, text, length);
  return copy;
}

std::size_t ScriptTextSize(std::size_t length) { return sizeof(TextHeader) + length + 1; }

void DeleteScriptText(char* text) {
  if (!text) return;
  TextHeader* header = HeaderOf(text);
  if (header->account) header->account->held -= header->length;
  ::operator delete(header);
}
