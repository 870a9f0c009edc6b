// The module's identity: the version record and string table it carries.
#pragma once

namespace tamrovi::module {

inline constexpr char kModuleFileName[] = "TAMROVIBMPFILTERS.dll";
inline constexpr char kVersionLanguageBlock[] = "040904B0";
inline constexpr char kFileVersion[] = "1, 0, 0, 1";
inline constexpr char kProductVersion[] = "1, 0, 0, 1";
inline constexpr char kFileDescription[] = "TamroviBMPFilters DLL";
inline constexpr char kInternalName[] = "TamroviBMPFilters";
inline constexpr char kOriginalFilename[] = "TamroviBMPFilters.DLL";
inline constexpr char kProductName[] = "TamroviBMPFilters Dynamic Link Library";
inline constexpr char kTypeLibraryName[] = "TamroviBMPFilters";

// The file version as dotted numbers, the shared library's version here.
inline constexpr char kDottedVersion[] = "1.0.0.1";

// The string table's one entry; nothing uses it.
inline constexpr int kSocketsInitFailedId = 101;
inline constexpr char kSocketsInitFailed[] = "Windows sockets initialization failed.";

}  // namespace tamrovi::module
