// export_call INPUT OUTPUT CODE: one BMPFilters call through the shared
// library, so that compare.sh can time the whole export as a process.
// Paths are taken as ASCII, which is all compare.sh hands it.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tamrovibmpfilters.h"

namespace {

bool ToUtf16(const char* ascii, std::u16string& wide) {
  for (const char* c = ascii; *c != '\0'; ++c) {
    if (static_cast<unsigned char>(*c) >= 0x80) return false;
    wide.push_back(static_cast<char16_t>(*c));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::u16string input, output;
  if (argc != 4 || !ToUtf16(argv[1], input) || !ToUtf16(argv[2], output)) {
    // Standard I/O rather than streams: a host timed as a whole process should
    // not spend its start-up building stream locales it never uses.
    std::fputs("usage: export_call INPUT OUTPUT CODE (ASCII paths)\n", stderr);
    return 2;
  }
  BMPFilters(input.c_str(), output.c_str(), static_cast<std::int32_t>(std::atoi(argv[3])));
  return 0;
}
