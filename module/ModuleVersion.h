// The module's identity: the version record and string table it carries.
//
// The resource compiler reads this file too (for the Windows module's
// resources), so the values are macros; the tool's --version reads two of them as constants.
#pragma once

#define TAMROVI_MODULE_FILE_NAME "TAMROVIBMPFILTERS.dll"
#define TAMROVI_VERSION_LANGUAGE_BLOCK "040904B0"
#define TAMROVI_VERSION_NUMBERS 1, 0, 0, 1
#define TAMROVI_FILE_VERSION "1, 0, 0, 1"
#define TAMROVI_PRODUCT_VERSION "1, 0, 0, 1"
#define TAMROVI_FILE_DESCRIPTION "TamroviBMPFilters DLL"
#define TAMROVI_INTERNAL_NAME "TamroviBMPFilters"
#define TAMROVI_ORIGINAL_FILENAME "TamroviBMPFilters.DLL"
#define TAMROVI_PRODUCT_NAME "TamroviBMPFilters Dynamic Link Library"
#define TAMROVI_SOCKETS_INIT_FAILED_ID 101
#define TAMROVI_SOCKETS_INIT_FAILED "Windows sockets initialization failed."

#ifndef RC_INVOKED
namespace tamrovi::module {

inline constexpr char kFileVersion[] = TAMROVI_FILE_VERSION;

// The file version as dotted numbers, the shared library's version here.
inline constexpr char kDottedVersion[] = "1.0.0.1";

}  // namespace tamrovi::module
#endif
