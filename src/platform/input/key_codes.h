// The platform's key codes (the keyboard's scan codes, 0x80 added for the
// extended keys) and the one table from SDL scancodes to them. Used by the SDL
// input device, the input manager's default key map and their tests.
#pragma once

// Every key of 104/105-key and 106/109-key keyboards. Games store these
// numbers in their scripts and settings, so none may ever change.
enum KeyCode : int {
  kKeyNone = 0x00,
  kKeyEscape = 0x01,
  kKey1 = 0x02,
  kKey2 = 0x03,
  kKey3 = 0x04,
  kKey4 = 0x05,
  kKey5 = 0x06,
  kKey6 = 0x07,
  kKey7 = 0x08,
  kKey8 = 0x09,
  kKey9 = 0x0A,
  kKey0 = 0x0B,
  kKeyMinus = 0x0C,
  kKeyEquals = 0x0D,  // "^" on 106/109-key keyboards
  kKeyBackspace = 0x0E,
  kKeyTab = 0x0F,
  kKeyQ = 0x10,
  kKeyW = 0x11,
  kKeyE = 0x12,
  kKeyR = 0x13,
  kKeyT = 0x14,
  kKeyY = 0x15,
  kKeyU = 0x16,
  kKeyI = 0x17,
  kKeyO = 0x18,
  kKeyP = 0x19,
  kKeyLeftBracket = 0x1A,  // "@"
  kKeyRightBracket = 0x1B,  // "["
  kKeyReturn = 0x1C,
  kKeyLeftControl = 0x1D,
  kKeyA = 0x1E,
  kKeyS = 0x1F,
  kKeyD = 0x20,
  kKeyF = 0x21,
  kKeyG = 0x22,
  kKeyH = 0x23,
  kKeyJ = 0x24,
  kKeyK = 0x25,
  kKeyL = 0x26,
  kKeySemicolon = 0x27,
  kKeyApostrophe = 0x28,  // ":"
  kKeyGrave = 0x29,  // Zenkaku/Hankaku
  kKeyLeftShift = 0x2A,
  kKeyBackslash = 0x2B,  // "]"; "#" on ISO keyboards
  kKeyZ = 0x2C,
  kKeyX = 0x2D,
  kKeyC = 0x2E,
  kKeyV = 0x2F,
  kKeyB = 0x30,
  kKeyN = 0x31,
  kKeyM = 0x32,
  kKeyComma = 0x33,
  kKeyPeriod = 0x34,
  kKeySlash = 0x35,
  kKeyRightShift = 0x36,
  kKeyPadMultiply = 0x37,
  kKeyLeftAlt = 0x38,
  kKeySpace = 0x39,
  kKeyCapsLock = 0x3A,  // Eisu
  kKeyF1 = 0x3B,
  kKeyF2 = 0x3C,
  kKeyF3 = 0x3D,
  kKeyF4 = 0x3E,
  kKeyF5 = 0x3F,
  kKeyF6 = 0x40,
  kKeyF7 = 0x41,
  kKeyF8 = 0x42,
  kKeyF9 = 0x43,
  kKeyF10 = 0x44,
  kKeyNumLock = 0x45,
  kKeyScrollLock = 0x46,
  kKeyPad7 = 0x47,
  kKeyPad8 = 0x48,
  kKeyPad9 = 0x49,
  kKeyPadMinus = 0x4A,
  kKeyPad4 = 0x4B,
  kKeyPad5 = 0x4C,
  kKeyPad6 = 0x4D,
  kKeyPadPlus = 0x4E,
  kKeyPad1 = 0x4F,
  kKeyPad2 = 0x50,
  kKeyPad3 = 0x51,
  kKeyPad0 = 0x52,
  kKeyPadPeriod = 0x53,
  kKeyIso102 = 0x56,  // the extra key beside left Shift of 105-key keyboards
  kKeyF11 = 0x57,
  kKeyF12 = 0x58,
  kKeyKana = 0x70,  // Katakana/Hiragana
  kKeyRo = 0x73,  // "\" beside right Shift
  kKeyConvert = 0x79,  // Henkan
  kKeyNoConvert = 0x7B,  // Muhenkan
  kKeyYen = 0x7D,
  kKeyPadEquals = 0x8D,
  kKeyPadEnter = 0x9C,
  kKeyRightControl = 0x9D,
  kKeyPadComma = 0xB3,
  kKeyPadDivide = 0xB5,
  kKeyPrintScreen = 0xB7,
  kKeyRightAlt = 0xB8,
  kKeyPause = 0xC5,
  kKeyHome = 0xC7,
  kKeyUp = 0xC8,
  kKeyPageUp = 0xC9,
  kKeyLeft = 0xCB,
  kKeyRight = 0xCD,
  kKeyEnd = 0xCF,
  kKeyDown = 0xD0,
  kKeyPageDown = 0xD1,
  kKeyInsert = 0xD2,
  kKeyDelete = 0xD3,
  kKeyLeftWindows = 0xDB,
  kKeyRightWindows = 0xDC,
  kKeyMenu = 0xDD,
};

// Key codes run from 0 to 255; the key state of a poll is one byte for each.
constexpr int kKeyCodeCount = 256;

// The key code of an SDL scancode; kKeyNone for a scancode no keyboard of
// those above has (media keys, out-of-range numbers).
int KeyCodeFromScancode(int scancode);
