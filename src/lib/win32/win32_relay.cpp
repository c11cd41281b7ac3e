// The Win32 calls of the relay and of its watch: the pipe between the two
// vornalts, the random id, and the console events that the relay keeps for
// the shell.
#include "win32_system.h"
#include "win32_text.h"
#include "windows_support.h"

namespace vornalt {

/// The pipe's wait for its client, and its reads: overlapped, so that the
/// wait can watch the host as well.
struct Win32System::PipeIo {
  OVERLAPPED connect{};
  HANDLE event = nullptr;
  bool connecting = false;

  ~PipeIo() {
    if (event != nullptr) CloseHandle(event);
  }
};

// Beside PipeIo, which they must see whole.
Win32System::Win32System()
    : out_(open_output(STD_OUTPUT_HANDLE)), err_(open_output(STD_ERROR_HANDLE)) {}
Win32System::~Win32System() = default;

namespace {

// Set once the relay's status is out; the handler holds the process for it.
HANDLE g_report_done = nullptr;
// Set by Ctrl+C or Ctrl+Break once the command is over: they end the wait
// for a key.
HANDLE g_interrupted = nullptr;

BOOL WINAPI keep_for_child(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    if (g_report_done != nullptr && WaitForSingleObject(g_report_done, 0) == WAIT_OBJECT_0) {
      SetEvent(g_interrupted);
    }
    return TRUE;
  }
  // The console is closing (or the user logging off): the system ends this
  // process once the handler returns, and at the latest about five seconds
  // after the event. The shell gets the event too and ends; wait until its
  // status is out.
  if (g_report_done != nullptr) WaitForSingleObject(g_report_done, 4500);
  return TRUE;
}

constexpr DWORD READ_SIZE = 4096;

// ReadFile or WriteFile on the pipe, to its end: overlapped with `event` at
// the end that made the pipe (whose wait for the client watches the host as
// well), plain at the relay's, where `event` is null.
Result transfer(HANDLE pipe, HANDLE event, bool writing, char* data, DWORD size, DWORD& done) {
  if (event == nullptr) {
    return check_win32_bool(writing ? WriteFile(pipe, data, size, &done, nullptr)
                                    : ReadFile(pipe, data, size, &done, nullptr));
  }
  OVERLAPPED io{};
  io.hEvent = event;
  ResetEvent(event);
  const BOOL finished = writing ? WriteFile(pipe, data, size, nullptr, &io)
                                : ReadFile(pipe, data, size, nullptr, &io);
  if (!finished && GetLastError() != ERROR_IO_PENDING) return check_win32_bool(FALSE);
  return check_win32_bool(GetOverlappedResult(pipe, &io, &done, TRUE));
}

HANDLE open_console_input() {
  return CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, 0, nullptr);
}

bool is_key_press(const INPUT_RECORD& record) {
  return record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown;
}

}  // namespace

Result Win32System::random_bytes(std::array<std::uint8_t, 16>& bytes) {
  // Loaded only for the relay, so that every other run is spared the load;
  // from the system folder alone, never from beside vornalt.exe.
  HMODULE bcrypt = LoadLibraryExW(L"bcrypt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (bcrypt == nullptr) return check_win32_bool(FALSE);
  using GenRandom = LONG(WINAPI*)(void*, PUCHAR, ULONG, ULONG);
  const auto generate = reinterpret_cast<GenRandom>(
      reinterpret_cast<void*>(GetProcAddress(bcrypt, "BCryptGenRandom")));
  if (generate == nullptr) return check_win32_bool(FALSE);
  constexpr ULONG SYSTEM_PREFERRED_RNG = 0x00000002;  // BCRYPT_USE_SYSTEM_PREFERRED_RNG
  const LONG status =
      generate(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()), SYSTEM_PREFERRED_RNG);
  if (status >= 0) return {};
  // An NTSTATUS, as HRESULT_FROM_NT wraps it.
  return Error(HRESULT{static_cast<std::int32_t>(static_cast<std::uint32_t>(status) | 0x10000000)});
}

Result Win32System::create_pipe(std::string_view name, Handle& pipe) {
  auto io = std::make_unique<PipeIo>();
  io->event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (io->event == nullptr) return check_win32_bool(FALSE);
  // The default security lets only this user, SYSTEM and the administrators
  // write to it; a client that may only read it gets nothing before it is
  // known to run this program.
  HANDLE created =
      CreateNamedPipeW(wide_string(name).c_str(),
                       PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
                       PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                       1, READ_SIZE, READ_SIZE, 0, nullptr);
  if (created == INVALID_HANDLE_VALUE) return check_win32_bool(FALSE);
  io->connect.hEvent = io->event;
  if (!ConnectNamedPipe(created, &io->connect)) {
    const DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
      io->connecting = true;
    } else if (error == ERROR_PIPE_CONNECTED) {
      SetEvent(io->event);
    } else {
      CloseHandle(created);
      return error_from_win32(error);
    }
  }
  pipe_io_ = std::move(io);
  pipe = created;
  return {};
}

Result Win32System::wait_for_client(Handle pipe, Handle process, std::uint32_t timeout,
                                    ClientWait& outcome) {
  HANDLE handles[] = {pipe_io_->event, process};
  const DWORD result = WaitForMultipleObjects(process != nullptr ? 2 : 1, handles, FALSE, timeout);
  if (result == WAIT_TIMEOUT) {
    outcome = ClientWait::timed_out;
    return {};
  }
  if (result != WAIT_OBJECT_0 && result != WAIT_OBJECT_0 + 1) return check_win32_bool(FALSE);
  // A client that came before the process ended has connected.
  if (result == WAIT_OBJECT_0 + 1 && WaitForSingleObject(pipe_io_->event, 0) != WAIT_OBJECT_0) {
    outcome = ClientWait::process_ended;
    return {};
  }
  if (pipe_io_->connecting) {
    pipe_io_->connecting = false;
    DWORD ignored = 0;
    const Result connected =
        check_win32_bool(GetOverlappedResult(pipe, &pipe_io_->connect, &ignored, FALSE));
    if (!connected.ok()) return connected;
  }
  outcome = ClientWait::connected;
  return {};
}

bool Win32System::runs_this_program(unsigned long id) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (process == nullptr) return false;
  std::wstring image(32768, L'\0');
  auto size = static_cast<DWORD>(image.size());
  const BOOL named = QueryFullProcessImageNameW(process, 0, image.data(), &size);
  CloseHandle(process);
  std::string own;
  if (!named || !program_path(own).ok()) return false;
  const std::wstring own_image = wide_string(own);
  return CompareStringOrdinal(image.c_str(), static_cast<int>(size), own_image.c_str(),
                              static_cast<int>(own_image.size()), TRUE) == CSTR_EQUAL;
}

bool Win32System::client_runs_this_program(Handle pipe) {
  ULONG id = 0;
  return GetNamedPipeClientProcessId(pipe, &id) && runs_this_program(id);
}

bool Win32System::server_runs_this_program(Handle pipe) {
  ULONG id = 0;
  return GetNamedPipeServerProcessId(pipe, &id) && runs_this_program(id);
}

Result Win32System::read_pipe(Handle pipe, std::string& bytes) {
  bytes.resize(READ_SIZE);
  const HANDLE event = pipe_io_ != nullptr ? pipe_io_->event : nullptr;
  DWORD got = 0;
  while (got == 0) {
    const Result read = transfer(pipe, event, false, bytes.data(), READ_SIZE, got);
    if (!read.ok()) {
      bytes.clear();
      // The other end has closed the pipe: what it had to say is over.
      if (read.error() == error_from_win32(ERROR_BROKEN_PIPE)) return {};
      return read;
    }
  }
  bytes.resize(got);
  return {};
}

Result Win32System::open_pipe(std::string_view name, Handle& pipe) {
  // Identification only: the first vornalt must not act as this user.
  HANDLE opened =
      CreateFileW(wide_string(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                  OPEN_EXISTING, SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return check_win32_bool(FALSE);
  pipe = opened;
  return {};
}

Result Win32System::write_pipe(Handle pipe, std::string_view bytes) {
  const HANDLE event = pipe_io_ != nullptr ? pipe_io_->event : nullptr;
  while (!bytes.empty()) {
    const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
    DWORD written = 0;
    // WriteFile only reads the bytes.
    const Result result =
        transfer(pipe, event, true, const_cast<char*>(bytes.data()), size, written);
    if (!result.ok()) return result;
    bytes.remove_prefix(written);
  }
  return {};
}

void Win32System::keep_console_events_for_child() {
  // A handler, not SetConsoleCtrlHandler(NULL, TRUE): that flag would be
  // inherited, and the shell could not be interrupted.
  g_report_done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_interrupted = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(keep_for_child, TRUE);
}

void Win32System::report_done() {
  if (g_report_done != nullptr) SetEvent(g_report_done);
}

Result Win32System::discard_console_input() {
  HANDLE input = open_console_input();
  if (input == INVALID_HANDLE_VALUE) return check_win32_bool(FALSE);
  const Result flushed = check_win32_bool(FlushConsoleInputBuffer(input));
  CloseHandle(input);
  return flushed;
}

Result Win32System::wait_for_key_press() {
  HANDLE input = open_console_input();
  if (input == INVALID_HANDLE_VALUE) return check_win32_bool(FALSE);
  // The input handle is signalled while records wait in it.
  HANDLE handles[] = {input, g_interrupted};
  const DWORD count = g_interrupted != nullptr ? 2 : 1;
  Result result;
  for (;;) {
    const DWORD woken = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
    if (woken == WAIT_OBJECT_0 + 1) break;
    if (woken != WAIT_OBJECT_0) {
      result = check_win32_bool(FALSE);
      break;
    }
    INPUT_RECORD record{};
    DWORD got = 0;
    result = check_win32_bool(ReadConsoleInputW(input, &record, 1, &got));
    if (!result.ok() || (got == 1 && is_key_press(record))) break;
  }
  CloseHandle(input);
  return result;
}

}  // namespace vornalt
