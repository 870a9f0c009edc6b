#include "platform/TextConversion.h"

#include <cstdint>
#include <cstring>

namespace tamrovi {

namespace {

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// A byte that is not part of well-formed UTF-8 travels in UTF-16 as the lone
// surrogate U+DC80 to U+DCFF: its value plus 0xDC00.
constexpr char32_t kEscapeBase = 0xDC00;
bool IsEscapedByte(char32_t unit) { return unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF; }

// Reads one code point, or one escaped byte, at text[i]; advances i. Returns
// false on any other unpaired surrogate.
bool NextCodePoint(const char16_t* text, std::size_t& i, char32_t& codePoint) {
  const char32_t unit = text[i++];
  if (IsLowSurrogate(unit)) {
    codePoint = unit;
    return IsEscapedByte(unit);
  }
  if (!IsHighSurrogate(unit)) {
    codePoint = unit;
    return true;
  }
  const char32_t low = text[i];
  if (!IsLowSurrogate(low)) return false;  // lone high surrogates are never escapes
  ++i;
  codePoint = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
  return true;
}

std::size_t Utf8Length(char32_t codePoint) {
  if (codePoint < 0x80 || IsEscapedByte(codePoint)) return 1;
  if (codePoint < 0x800) return 2;
  if (codePoint < 0x10000) return 3;
  return 4;
}

char16_t* AppendUtf16(char16_t* out, char32_t codePoint) {
  if (codePoint >= 0x10000) {
    codePoint -= 0x10000;
    *out++ = static_cast<char16_t>(0xD800 + (codePoint >> 10));
    *out++ = static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
  } else {
    *out++ = static_cast<char16_t>(codePoint);
  }
  return out;
}

char* AppendUtf8(char* out, char32_t codePoint) {
  const std::size_t length = Utf8Length(codePoint);
  if (length == 1) {
    *out++ = static_cast<char>(codePoint & 0xFF);  // an escaped byte is itself
    return out;
  }
  static constexpr unsigned char kLeadMarks[5] = {0, 0, 0xC0, 0xE0, 0xF0};
  for (std::size_t k = length - 1; k > 0; --k) {
    out[k] = static_cast<char>(0x80 | (codePoint & 0x3F));
    codePoint >>= 6;
  }
  out[0] = static_cast<char>(kLeadMarks[length] | codePoint);
  return out + length;
}

// The code point at text[i], or the escape of its first byte when no
// well-formed sequence starts there; advances i.
char32_t NextNarrowCodePoint(const unsigned char* text, std::size_t& i) {
  const std::size_t start = i;
  char32_t codePoint = 0;
  if (DecodeUtf8(text, i, codePoint)) return codePoint;
  i = start + 1;
  return kEscapeBase + text[start];
}

// True when `narrow` turns back into exactly `wide`: escaped bytes that
// would together read as a character are refused, so that two different
// UTF-16 paths never name one file.
bool ConvertsBackTo(const char* narrow, const char16_t* wide) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(narrow);
  std::size_t j = 0;
  for (std::size_t i = 0; bytes[i] != 0;) {
    char16_t units[2];
    const std::size_t count = AppendUtf16(units, NextNarrowCodePoint(bytes, i)) - units;
    for (std::size_t k = 0; k < count; ++k) {
      if (wide[j++] != units[k]) return false;
    }
  }
  return wide[j] == 0;
}

}  // namespace

bool DecodeUtf8(const unsigned char* text, std::size_t& i, char32_t& codePoint) noexcept {
  const unsigned char lead = text[i++];
  std::size_t continuation;
  char32_t minimum;
  if (lead < 0x80) {
    codePoint = lead;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    continuation = 1, minimum = 0x80, codePoint = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    continuation = 2, minimum = 0x800, codePoint = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    continuation = 3, minimum = 0x10000, codePoint = lead & 0x07;
  } else {
    return false;
  }
  for (std::size_t k = 0; k < continuation; ++k) {
    const unsigned char next = text[i];  // the terminator stops a short sequence here
    if ((next & 0xC0) != 0x80) return false;
    codePoint = (codePoint << 6) | (next & 0x3F);
    ++i;
  }
  return codePoint >= minimum && codePoint <= 0x10FFFF && !(codePoint >= 0xD800 && codePoint <= 0xDFFF);
}

std::size_t WideLength(const char16_t* text) noexcept {
  std::size_t length = 0;
  if (text != nullptr) {
    while (text[length] != 0) ++length;
  }
  return length;
}

CNarrowPath::CNarrowPath(const char16_t* text) noexcept {
  if (text == nullptr) return;
  char* out = m_text;
  char32_t codePoint = 0;
  for (std::size_t i = 0; text[i] != 0;) {
    if (!NextCodePoint(text, i, codePoint)) return;
    // Longer than the system opens: no room for this code point and the terminator.
    if (static_cast<std::size_t>(out - m_text) + Utf8Length(codePoint) + 1 > kCapacity) return;
    out = AppendUtf8(out, codePoint);
  }
  *out = 0;
  m_converted = ConvertsBackTo(m_text, text);
}

CWidePath::CWidePath(const char* text) noexcept {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  std::size_t units = 0;
  if (text == nullptr) return;
  for (std::size_t i = 0; bytes[i] != 0;) units += NextNarrowCodePoint(bytes, i) >= 0x10000 ? 2 : 1;
  if (units + 1 > kPathCapacity) return;
  char16_t* cursor = m_text;
  for (std::size_t i = 0; bytes[i] != 0;) cursor = AppendUtf16(cursor, NextNarrowCodePoint(bytes, i));
  *cursor = 0;
  m_converted = true;
}

}  // namespace tamrovi
