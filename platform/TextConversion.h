// Conversion of paths between UTF-16 and the narrow encoding.
//
// The narrow encoding here is UTF-8, so every path survives the round trip
// wide -> narrow -> wide unchanged. The system names files by bytes, which
// need not be UTF-8: a byte that is not part of a well-formed sequence
// travels in UTF-16 as a lone surrogate from U+DC80 to U+DCFF (the byte's
// value plus 0xDC00) and turns back into the byte, so every name the system
// can hold survives narrow -> wide -> narrow too. Other unpaired surrogates,
// and escapes whose bytes would together read as a character (the file would
// have a second UTF-16 name), do not convert; callers treat such a path as
// one that cannot be opened.
#pragma once

#include <climits>
#include <cstddef>

namespace tamrovi {

// Length in code units, without the terminator. Null has length 0.
std::size_t WideLength(const char16_t* text) noexcept;

// Decodes one well-formed UTF-8 sequence at text[i] (zero-terminated) into
// `codePoint` and advances i; false for anything UTF-8 refuses (overlong
// forms, surrogates, values above U+10FFFF, stray or missing bytes).
bool DecodeUtf8(const unsigned char* text, std::size_t& i, char32_t& codePoint) noexcept;

// The longest narrow path converted without allocating, terminator included.
// Linux's own limit (PATH_MAX). Windows counts its limit in UTF-16 units and
// long-path-aware systems go past MAX_PATH, so the same 4096 bytes serve there.
#if defined(_WIN32)
inline constexpr std::size_t kPathCapacity = 4096;
#else
inline constexpr std::size_t kPathCapacity = PATH_MAX;
#endif

// A UTF-16 path converted to UTF-8 in storage of its own, with no allocation:
// a call that has run out of memory can still name the file it must write.
// A path the system could not open anyway, being longer than it takes
// (kPathCapacity bytes with the terminator), converts to null, as does text
// that is not well formed and a null path.
class CNarrowPath {
 public:
  static constexpr std::size_t kCapacity = kPathCapacity;

  explicit CNarrowPath(const char16_t* text) noexcept;
  CNarrowPath(const CNarrowPath&) = delete;
  CNarrowPath& operator=(const CNarrowPath&) = delete;

  const char* Get() const noexcept { return m_converted ? m_text : nullptr; }

 private:
  char m_text[kCapacity];
  bool m_converted = false;
};

// The way back: a UTF-8 path of at most kPathCapacity bytes as UTF-16, with
// no allocation, for systems whose file calls take wide paths. Null for a
// null, longer or malformed path.
class CWidePath {
 public:
  explicit CWidePath(const char* text) noexcept;
  CWidePath(const CWidePath&) = delete;
  CWidePath& operator=(const CWidePath&) = delete;

  const char16_t* Get() const noexcept { return m_converted ? m_text : nullptr; }

 private:
  // UTF-8 never takes fewer bytes than UTF-16 takes units.
  char16_t m_text[kPathCapacity];
  bool m_converted = false;
};

// A path in the system's own form, the one its file calls take: UTF-8 bytes
// on POSIX systems, UTF-16 on Windows.
#if defined(_WIN32)
using SystemPathChar = wchar_t;
#else
using SystemPathChar = char;
#endif

// A UTF-16 path in the system's own form, converted once and on the stack:
// on POSIX systems its UTF-8 form (CNarrowPath), on Windows the path itself.
#if defined(_WIN32)
class CSystemFormOfPath {
 public:
  explicit CSystemFormOfPath(const char16_t* path) noexcept : m_pPath(reinterpret_cast<const wchar_t*>(path)) {}
  const wchar_t* Get() const noexcept { return m_pPath; }

 private:
  const wchar_t* m_pPath;
};
#else
using CSystemFormOfPath = CNarrowPath;
#endif

}  // namespace tamrovi
