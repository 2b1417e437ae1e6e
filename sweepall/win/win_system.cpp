// Files, directories, the system's folders, programs, power and the log.
#include "common/text.h"
#include "common/win/privilege.h"
#include "common/win/scoped.h"
#include "sweepall/win/win_platform.h"

namespace sweepall::win {

namespace {

// A folder path from an API that returns its length, or empty when the
// path did not fit.
template <typename Getter>
std::string Folder(Getter get) {
  char buf[MAX_PATH + 1] = {};
  const UINT n = get(buf, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::string() : common::FromBuffer(buf, sizeof buf);
}

}  // namespace

bool Win32FileSystem::ReadWhole(const std::string& path, std::size_t limit, std::string* bytes) {
  common::ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  const DWORD size = GetFileSize(file.get(), nullptr);
  if (size == INVALID_FILE_SIZE) return false;
  bytes->assign(size < limit ? size : limit, '\0');
  DWORD done = 0;
  while (done < bytes->size()) {
    DWORD got = 0;
    if (!ReadFile(file.get(), &(*bytes)[done], static_cast<DWORD>(bytes->size() - done), &got,
                  nullptr))
      return false;
    if (got == 0) break;  // shorter than it said: take what is there
    done += got;
  }
  bytes->resize(done);
  return true;
}

PathKind Win32FileSystem::Probe(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kMissing;
  return attributes & FILE_ATTRIBUTE_DIRECTORY ? PathKind::kDirectory : PathKind::kFile;
}

bool Win32FileSystem::AnyMatch(const std::string& pattern) {
  WIN32_FIND_DATAA found;
  common::ScopedFind find(FindFirstFileA(pattern.c_str(), &found));
  return find.valid();
}

bool Win32FileSystem::ClearAttributes(const std::string& path) {
  return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
}

bool Win32FileSystem::RemoveFile(const std::string& path) {
  return DeleteFileA(path.c_str()) != FALSE;
}

bool Win32FileSystem::RemoveEmptyDirectory(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) != FALSE;
}

bool Win32FileSystem::DeleteAtRestart(const std::string& path) {
  return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

std::string Win32FileSystem::ShortPath(const std::string& path) {
  char buf[MAX_PATH + 1] = {};
  const DWORD n = GetShortPathNameA(path.c_str(), buf, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::string() : common::FromBuffer(buf, sizeof buf);
}

bool Win32FileSystem::WriteWhole(const std::string& path, const std::string& bytes) {
  common::ScopedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) &&
         written == bytes.size();
}

bool Win32SystemInfo::IsNtFamily() { return (GetVersion() & 0x80000000u) == 0; }

std::string Win32SystemInfo::WindowsDirectory() {
  return Folder([](char* b, UINT n) { return GetWindowsDirectoryA(b, n); });
}

std::string Win32SystemInfo::SystemDirectory() {
  return Folder([](char* b, UINT n) { return GetSystemDirectoryA(b, n); });
}

std::string Win32SystemInfo::CurrentDirectory() {
  return Folder([](char* b, UINT n) { return static_cast<UINT>(GetCurrentDirectoryA(n, b)); });
}

unsigned Win32Programs::Start(const std::string& commandLine) {
  return WinExec(commandLine.c_str(), SW_SHOWNORMAL);
}

void Win32Programs::Pause(unsigned milliseconds) { Sleep(milliseconds); }

bool Win32Programs::PostQuitTo(const std::string& windowClass, const std::string& title,
                               unsigned waitMs) {
  HWND window = FindWindowA(windowClass.c_str(), title.c_str());
  if (!window) return true;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  // Opened before the quit: once the process has ended its id may be
  // given to another. This program can't wait for its own end.
  const bool own = processId == GetCurrentProcessId();
  common::ScopedHandle process(own || processId == 0
                                   ? nullptr
                                   : OpenProcess(SYNCHRONIZE, FALSE, processId));
  PostMessageA(window, WM_QUIT, 0, 0);
  if (own) return true;
  if (!process) return false;
  // Messages sent to this thread are answered meanwhile (a program may
  // send to every window while it ends); posted ones wait in the queue.
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= waitMs) return false;
    HANDLE handle = process.get();
    const DWORD r = MsgWaitForMultipleObjects(1, &handle, FALSE, waitMs - elapsed, QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0) return true;
    if (r != WAIT_OBJECT_0 + 1) return false;
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  }
}

bool Win32Power::EnableShutdownPrivilege() {
  return common::EnableProcessPrivilege("SeShutdownPrivilege");
}

bool Win32Power::EndSession(unsigned flags) { return ExitWindowsEx(flags, 0) != FALSE; }

bool Win32LogFile::Open() {
  Close();
  file_ = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return false;
  // Each run rewrites the log from its start; without this a shorter run
  // would leave the end of an earlier one behind.
  SetEndOfFile(file_);
  return true;
}

void Win32LogFile::Write(const std::string& bytes) {
  if (file_ == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Win32LogFile::Close() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

std::string ShellString(unsigned id) {
  // shell32 may not be loaded yet; LoadLibrary keeps the count right.
  common::ScopedLibrary shell(LoadLibraryA("shell32.dll"));
  if (!shell) return std::string();
  char buf[1024] = {};
  const int n = LoadStringA(shell.get(), id, buf, sizeof buf);
  return n > 0 ? common::FromBuffer(buf, sizeof buf) : std::string();
}

}  // namespace sweepall::win
