#include "cli/Messages.h"

#include <cstring>

#include "platform/TextConversion.h"

namespace tamrovi::cli {
namespace {

void AppendEscape(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789abcdef";
  switch (byte) {
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
  }
}

// C0 and C1 controls and DEL: what a terminal may act on.
bool IsControl(char32_t codePoint) { return codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0); }

}  // namespace

std::string Printable(const std::string& text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.c_str());
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    char32_t codePoint = 0;
    if (!DecodeUtf8(bytes, i, codePoint) || i > text.size()) {
      AppendEscape(out, bytes[start]);
      i = start + 1;
    } else if (IsControl(codePoint)) {
      for (std::size_t k = start; k < i; ++k) AppendEscape(out, bytes[k]);
    } else {
      out.append(text, start, i - start);
    }
  }
  return out;
}

std::string SystemReason(int systemError) {
  return systemError == 0 ? std::string() : std::string(" (") + std::strerror(systemError) + ")";
}

}  // namespace tamrovi::cli
