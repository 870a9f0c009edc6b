// Running a program from a test on Windows: CreateProcessW with the child's
// output and errors going to temporary files, read back once it has exited.
#include "support/Process.h"

#include <windows.h>

namespace bmptest {
namespace {

std::wstring Wide(const std::string& utf8) {
  const int units = ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring wide(units > 0 ? units - 1 : 0, L'\0');
  if (units > 1) ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), units);
  return wide;
}

// Test arguments hold no quotes: quoting keeps those with spaces whole.
std::wstring Quoted(const std::wstring& argument) { return L"\"" + argument + L"\""; }

HANDLE InheritableTempFile() {
  wchar_t folder[MAX_PATH + 1], name[MAX_PATH + 1];
  if (::GetTempPathW(MAX_PATH + 1, folder) == 0 || ::GetTempFileNameW(folder, L"bmp", 0, name) == 0) {
    return INVALID_HANDLE_VALUE;
  }
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return ::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

// What the program printed, read back as text: its C runtime wrote each line
// end as CR LF, which the tests, written for every system, expect as LF.
std::string ReadAll(HANDLE file) {
  std::string text;
  ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lines += text[i];
  }
  return lines;
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& inputPath) {
  ProcessResult result;
  const HANDLE out = InheritableTempFile();
  const HANDLE err = InheritableTempFile();
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  // POSIX's empty input is the null device here.
  const std::wstring input = inputPath == "/dev/null" ? L"NUL" : Wide(inputPath);
  const HANDLE in = ::CreateFileW(input.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                                  nullptr);
  std::wstring commandLine = Quoted(Wide(program));
  for (const std::string& argument : arguments) commandLine += L" " + Quoted(Wide(argument));

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION child{};
  if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
      ::CreateProcessW(Wide(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &child)) {
    ::WaitForSingleObject(child.hProcess, INFINITE);
    DWORD status = 0;
    if (::GetExitCodeProcess(child.hProcess, &status)) result.exitStatus = static_cast<int>(status);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
    result.out = ReadAll(out);
    result.err = ReadAll(err);
  }
  for (const HANDLE handle : {in, out, err}) {
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
  return result;
}

}  // namespace bmptest
