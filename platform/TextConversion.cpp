#include "platform/TextConversion.h"

#include <cstdint>
#include <cstring>

#include "platform/Allocation.h"

namespace tamrovi {

template <typename Char>
COwnedText<Char>& COwnedText<Char>::operator=(COwnedText&& other) noexcept {
  if (this != &other) {
    ReleaseBlock(m_pText);
    m_pText = other.m_pText;
    other.m_pText = nullptr;
  }
  return *this;
}

template <typename Char>
COwnedText<Char>::~COwnedText() {
  ReleaseBlock(m_pText);
}

template class COwnedText<char>;
template class COwnedText<char16_t>;

namespace {

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Reads one code point at text[i]; advances i. Returns false on an unpaired
// surrogate.
bool NextCodePoint(const char16_t* text, std::size_t& i, char32_t& codePoint) {
  const char32_t unit = text[i++];
  if (IsLowSurrogate(unit)) return false;
  if (!IsHighSurrogate(unit)) {
    codePoint = unit;
    return true;
  }
  const char32_t low = text[i];
  if (!IsLowSurrogate(low)) return false;
  ++i;
  codePoint = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
  return true;
}

std::size_t Utf8Length(char32_t codePoint) {
  if (codePoint < 0x80) return 1;
  if (codePoint < 0x800) return 2;
  if (codePoint < 0x10000) return 3;
  return 4;
}

char* AppendUtf8(char* out, char32_t codePoint) {
  const std::size_t length = Utf8Length(codePoint);
  if (length == 1) {
    *out++ = static_cast<char>(codePoint);
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

// Decodes one UTF-8 sequence at text[i]; advances i. Refuses overlong forms,
// surrogates and values above U+10FFFF, as UTF-8 itself does.
bool NextUtf8CodePoint(const unsigned char* text, std::size_t& i, char32_t& codePoint) {
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

}  // namespace

std::size_t WideLength(const char16_t* text) noexcept {
  std::size_t length = 0;
  if (text != nullptr) {
    while (text[length] != 0) ++length;
  }
  return length;
}

namespace {

// Bytes of `text` in UTF-8 without the terminator; false when it is not well
// formed.
bool MeasureUtf8(const char16_t* text, std::size_t& bytes) {
  bytes = 0;
  char32_t codePoint = 0;
  for (std::size_t i = 0; text[i] != 0;) {
    if (!NextCodePoint(text, i, codePoint)) return false;
    bytes += Utf8Length(codePoint);
  }
  return true;
}

// Writes well-formed `text` as UTF-8 with its terminator at `out`.
void EncodeUtf8(const char16_t* text, char* out) {
  char32_t codePoint = 0;
  for (std::size_t i = 0; text[i] != 0;) {
    NextCodePoint(text, i, codePoint);
    out = AppendUtf8(out, codePoint);
  }
  *out = 0;
}

}  // namespace

CNarrowText WideToNarrow(const char16_t* text) noexcept {
  std::size_t bytes = 0;
  if (text == nullptr || !MeasureUtf8(text, bytes)) return {};
  char* out = static_cast<char*>(AllocateBlock(static_cast<std::int64_t>(bytes) + 1));
  if (out == nullptr) return {};
  EncodeUtf8(text, out);
  return CNarrowText(out);
}

CNarrowPath::CNarrowPath(const char16_t* text) noexcept {
  std::size_t bytes = 0;
  if (text == nullptr || !MeasureUtf8(text, bytes) || bytes + 1 > kCapacity) return;
  EncodeUtf8(text, m_text);
  m_converted = true;
}

namespace {

// UTF-16 units of well-formed UTF-8 `bytes` without the terminator; false
// when it is not well formed.
bool MeasureUtf16(const unsigned char* bytes, std::size_t& units) {
  units = 0;
  char32_t codePoint = 0;
  for (std::size_t i = 0; bytes[i] != 0;) {
    if (!NextUtf8CodePoint(bytes, i, codePoint)) return false;
    units += codePoint >= 0x10000 ? 2 : 1;
  }
  return true;
}

// Writes well-formed UTF-8 `bytes` as UTF-16 with its terminator at `out`.
void EncodeUtf16(const unsigned char* bytes, char16_t* out) {
  char32_t codePoint = 0;
  for (std::size_t i = 0; bytes[i] != 0;) {
    NextUtf8CodePoint(bytes, i, codePoint);
    if (codePoint >= 0x10000) {
      codePoint -= 0x10000;
      *out++ = static_cast<char16_t>(0xD800 + (codePoint >> 10));
      *out++ = static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
    } else {
      *out++ = static_cast<char16_t>(codePoint);
    }
  }
  *out = 0;
}

}  // namespace

CWideText NarrowToWide(const char* text) noexcept {
  if (text == nullptr) return {};
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  std::size_t units = 0;
  if (!MeasureUtf16(bytes, units)) return {};
  auto* out = static_cast<char16_t*>(AllocateBlock(static_cast<std::int64_t>((units + 1) * sizeof(char16_t))));
  if (out == nullptr) return {};
  EncodeUtf16(bytes, out);
  return CWideText(out);
}

CWidePath::CWidePath(const char* text) noexcept {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  std::size_t units = 0;
  if (text == nullptr || !MeasureUtf16(bytes, units) || units + 1 > kPathCapacity) return;
  EncodeUtf16(bytes, m_text);
  m_converted = true;
}

bool IsWellFormedUtf16(const char16_t* text) noexcept {
  std::size_t bytes = 0;
  return MeasureUtf8(text, bytes);
}

}  // namespace tamrovi
