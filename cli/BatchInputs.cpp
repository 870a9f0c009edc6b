#include "cli/BatchInputs.h"

#include <cerrno>
#include <iostream>
#include <system_error>
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include "cli/Arguments.h"
#include "cli/Messages.h"

namespace tamrovi::cli {
namespace {

namespace fs = std::filesystem;

bool HasBmpExtension(const fs::path& path) { return AsciiLowerCase(path.extension().string()) == ".bmp"; }

bool IsFolder(const std::string& path) {
  std::error_code failure;
  return fs::is_directory(path, failure);
}

// The iterator does not follow links to folders, but on Windows it does not
// see junctions and folder links as links: they are reparse points.
bool IsLinkToFolder(const fs::directory_entry& entry) {
#if defined(_WIN32)
  const DWORD attributes = ::GetFileAttributesW(entry.path().c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
#else
  (void)entry;
  return false;
#endif
}

// Where a listed file's output goes with --recursive: its path as listed, made
// relative (a leading / or drive dropped) and with . and .. resolved. A path
// that climbs out with .. has no place under OUTDIR.
bool PlaceUnderOutdir(const std::string& listed, std::string& relative) {
  const fs::path place = fs::path(listed).lexically_normal().relative_path();
  if (place.empty() || *place.begin() == "..") return false;
  relative = place.generic_string();
  return true;
}

}  // namespace

CBatchInputs::CBatchInputs(const CommandLine& line, std::span<const std::string> operands,
                           const std::string& outputFolder)
    : m_line(line), m_operands(operands), m_outputFolder(outputFolder) {}

std::string CBatchInputs::Open() {
  if (m_line.filesFrom.empty()) return "";
  if (m_line.filesFrom == "-") {
#if defined(_WIN32)
    ::_setmode(::_fileno(stdin), _O_BINARY);
#endif
    m_list = &std::cin;
    return "";
  }
  if (IsFolder(m_line.filesFrom)) {
    return Printable(m_line.filesFrom) + ": cannot read the list of files (it is a folder)";
  }
  errno = 0;
  m_listFile.open(m_line.filesFrom, std::ios::binary);
  if (!m_listFile) return Printable(m_line.filesFrom) + ": cannot read the list of files" + SystemReason(errno);
  m_list = &m_listFile;
  return "";
}

bool CBatchInputs::Next(BatchInput& input) {
  input = BatchInput();
  return NextWalked(input) || NextOperand(input) || NextListed(input);
}

bool CBatchInputs::NextOperand(BatchInput& input) {
  if (m_nextOperand >= m_operands.size()) return false;
  const std::string& operand = m_operands[m_nextOperand++];
  if (m_line.recursive && IsFolder(operand)) {
    std::error_code failure;
    m_walkRoot = operand;
    m_walk = fs::recursive_directory_iterator(m_walkRoot, fs::directory_options::none, failure);
    if (failure) {
      input = {operand, operand, "", Printable(operand) + ": cannot read the folder" + SystemReason(failure.value())};
      return true;
    }
    m_walking = true;
    return NextWalked(input) || Next(input);
  }
  input.path = operand;
  input.key = fs::path(operand).filename().string();
  input.relative = input.key;
  if (input.key.empty() || IsFolder(operand)) {
    input.error = Printable(operand) + ": names a folder, not a file" +
                  (m_line.recursive ? "" : " (give --recursive to filter the *.bmp files under it)");
  }
  return true;
}

bool CBatchInputs::IsOutputFolder(const fs::directory_entry& entry) const {
  std::error_code failure;
  return !m_outputFolder.empty() && entry.is_directory(failure) &&
         fs::equivalent(entry.path(), m_outputFolder, failure);
}

// Links to folders are not followed, so a link back up the tree cannot make
// the walk go round.
bool CBatchInputs::NextWalked(BatchInput& input) {
  const fs::recursive_directory_iterator end;
  while (m_walking && m_walk != end) {
    const fs::directory_entry entry = *m_walk;
    if (IsLinkToFolder(entry) || IsOutputFolder(entry)) m_walk.disable_recursion_pending();
    std::error_code failure;
    m_walk.increment(failure);
    if (failure) {
      // A folder that cannot be read is named, and the walk goes on past it.
      input = {entry.path().string(), entry.path().string(), "",
               Printable(entry.path().string()) + ": cannot read the folder" + SystemReason(failure.value())};
      if (m_walk != end) {
        m_walk.disable_recursion_pending();
        m_walk.increment(failure);
      }
      if (failure) m_walking = false;
      return true;
    }
    std::error_code statFailure;
    if (!HasBmpExtension(entry.path()) || !entry.is_regular_file(statFailure)) continue;
    input.path = entry.path().string();
    input.key = entry.path().lexically_relative(m_walkRoot).generic_string();
    input.relative = input.key;
    return true;
  }
  m_walking = false;
  return false;
}

// One path a line (a CR before the line's end is dropped, for lists written
// on Windows), or one a NUL-terminated record with --null; empty ones are
// skipped.
bool CBatchInputs::NextListed(BatchInput& input) {
  if (m_list == nullptr) return false;
  const char separator = m_line.nullSeparated ? '\0' : '\n';
  std::string line;
  while (std::getline(*m_list, line, separator)) {
    if (!m_line.nullSeparated && !line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    input.path = line;
    input.key = line;
    if (!m_line.recursive) {
      input.relative = fs::path(line).filename().string();
    } else if (!PlaceUnderOutdir(line, input.relative)) {
      input.error = Printable(line) + ": a listed path that climbs out with .. has no place under the output folder";
    }
    if (input.relative.empty() && input.error.empty()) input.error = Printable(line) + ": names a folder, not a file";
    return true;
  }
  m_list = nullptr;
  return false;
}

}  // namespace tamrovi::cli
