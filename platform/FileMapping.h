// A regular file's bytes in memory without reading them: the file is mapped
// privately, so its bytes can be changed in place (each page is copied the
// first time it is written) and the file never sees the changes.
//
// Mapping instead of reading saves the copy and, above all, the fresh memory
// a read needs: a short-lived process pays a page fault for every 4 KiB of
// memory it touches first, while the file's pages are already in the system's
// cache.
//
// A file that another process shortens while it is mapped would make its
// lost pages fault when touched, which kills the process (SIGBUS). Every
// mapping made here is guarded instead: a lost page is replaced by a page of
// zeros, so the bytes past the file's new end read as zeros, as bytes past a
// file's end always do for the reader, and nothing stops. The guard is a
// handler for SIGBUS installed once, with the first mapping; a fault outside
// every mapping made here goes on to the handler that was there before it.
#pragma once

#include <cstdint>

namespace tamrovi {

class CFileMapping {
 public:
  CFileMapping() noexcept = default;
  CFileMapping(const CFileMapping&) = delete;
  CFileMapping& operator=(const CFileMapping&) = delete;
  CFileMapping(CFileMapping&& other) noexcept { *this = static_cast<CFileMapping&&>(other); }
  CFileMapping& operator=(CFileMapping&& other) noexcept;
  ~CFileMapping() { Release(); }

  // Maps the whole regular file at `path` (a narrow path, may be null). Returns false,
  // with nothing mapped, when the path does not name a regular file that can
  // be opened, the file is empty or longer than `maxLength` bytes, or the
  // system (or the allocation switches of the tests) refuses: the caller then
  // reads the file the ordinary way, which names any reason to refuse it.
  bool Map(const char* path, std::int64_t maxLength) noexcept;

  bool IsMapped() const noexcept { return m_bytes != nullptr; }
  std::uint8_t* Bytes() const noexcept { return m_bytes; }
  // The file's length when it was mapped: the bytes at Bytes().
  std::int64_t Length() const noexcept { return m_length; }

  // Gives the mapping back; its bytes must no longer be used.
  void Release() noexcept;

 private:
  std::uint8_t* m_bytes = nullptr;
  std::int64_t m_length = 0;
};

}  // namespace tamrovi
