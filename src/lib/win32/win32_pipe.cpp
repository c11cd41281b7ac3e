// The pipe between the two vornalts of a relay, each end an object of its
// own, and the random id that names it.
#include <algorithm>

#include "win32_system.h"
#include "win32_text.h"
#include "windows_support.h"

namespace vornalt {
namespace {

constexpr DWORD READ_SIZE = 4096;

// Whether the process `id` runs this program's file.
bool runs_this_program(ULONG id) {
  const ScopedKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process) return false;
  std::wstring image(32768, L'\0');
  auto size = static_cast<DWORD>(image.size());
  const BOOL named = QueryFullProcessImageNameW(process.get(), 0, image.data(), &size);
  std::wstring own(32768, L'\0');
  own.resize(GetModuleFileNameW(nullptr, own.data(), static_cast<DWORD>(own.size())));
  return named && !own.empty() &&
         CompareStringOrdinal(image.c_str(), static_cast<int>(size), own.c_str(),
                              static_cast<int>(own.size()), TRUE) == CSTR_EQUAL;
}

// What both ends do alike: read until the other end has closed the pipe,
// write in pieces, and name the process at the other end by `other_end_id`
// (GetNamedPipeClientProcessId or GetNamedPipeServerProcessId). `transfer`
// is ReadFile or WriteFile, to its end.
template <typename Base, BOOL(WINAPI* other_end_id)(HANDLE, PULONG)>
class PipeEnd : public Base {
 public:
  explicit PipeEnd(ScopedFileHandle pipe) : pipe_(std::move(pipe)) {}

  Expected<std::string> read() override {
    std::string bytes(READ_SIZE, '\0');
    DWORD got = 0;
    while (got == 0) {
      const Result read = transfer(false, bytes.data(), READ_SIZE, got);
      // The other end has closed the pipe: what it had to say is over.
      if (!read.ok() && read.error() == error_from_win32(ERROR_BROKEN_PIPE)) return std::string();
      if (!read.ok()) return read.error();
    }
    bytes.resize(got);
    return bytes;
  }

  Result write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
      DWORD written = 0;
      // WriteFile only reads the bytes.
      const Result result = transfer(true, const_cast<char*>(bytes.data()), size, written);
      if (!result.ok()) return result;
      bytes.remove_prefix(written);
    }
    return {};
  }

  bool other_end_runs_this_program() override {
    ULONG id = 0;
    return other_end_id(pipe_.get(), &id) && runs_this_program(id);
  }

 protected:
  virtual Result transfer(bool writing, char* data, DWORD size, DWORD& done) = 0;

  ScopedFileHandle pipe_;
};

// The relay's end: plain I/O.
class ClientEnd final : public PipeEnd<Pipe, GetNamedPipeServerProcessId> {
 public:
  using PipeEnd::PipeEnd;

 private:
  Result transfer(bool writing, char* data, DWORD size, DWORD& done) override {
    return check_win32_bool(writing ? WriteFile(pipe_.get(), data, size, &done, nullptr)
                                    : ReadFile(pipe_.get(), data, size, &done, nullptr));
  }
};

// The end that made the pipe: overlapped, so that the wait for the client
// can watch the host as well. It owns the event of its I/O.
class ServerEnd final : public PipeEnd<PipeServer, GetNamedPipeClientProcessId> {
 public:
  ServerEnd(ScopedFileHandle pipe, ScopedKernelHandle event)
      : PipeEnd(std::move(pipe)), event_(std::move(event)) {
    connect_.hEvent = event_.get();
  }

  // Starts the wait for the client; a client that came first counts.
  Result listen() {
    if (ConnectNamedPipe(pipe_.get(), &connect_)) return {};
    const DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
      connecting_ = true;
    } else if (error == ERROR_PIPE_CONNECTED) {
      SetEvent(event_.get());
    } else {
      return error_from_win32(error);
    }
    return {};
  }

  Expected<ClientWait> wait_for_client(Handle process, std::uint32_t timeout) override {
    HANDLE handles[] = {event_.get(), process};
    const DWORD result =
        WaitForMultipleObjects(process != nullptr ? 2 : 1, handles, FALSE, timeout);
    if (result == WAIT_TIMEOUT) return ClientWait::timed_out;
    if (result != WAIT_OBJECT_0 && result != WAIT_OBJECT_0 + 1) {
      return check_win32_bool(FALSE).error();
    }
    // A client that came before the process ended has connected.
    if (result == WAIT_OBJECT_0 + 1 && WaitForSingleObject(event_.get(), 0) != WAIT_OBJECT_0) {
      return ClientWait::process_ended;
    }
    if (connecting_) {
      connecting_ = false;
      DWORD ignored = 0;
      const Result connected =
          check_win32_bool(GetOverlappedResult(pipe_.get(), &connect_, &ignored, FALSE));
      if (!connected.ok()) return connected.error();
    }
    return ClientWait::connected;
  }

 private:
  Result transfer(bool writing, char* data, DWORD size, DWORD& done) override {
    OVERLAPPED io{};
    io.hEvent = event_.get();
    ResetEvent(event_.get());
    const BOOL finished = writing ? WriteFile(pipe_.get(), data, size, nullptr, &io)
                                  : ReadFile(pipe_.get(), data, size, nullptr, &io);
    if (!finished && GetLastError() != ERROR_IO_PENDING) return check_win32_bool(FALSE);
    return check_win32_bool(GetOverlappedResult(pipe_.get(), &io, &done, TRUE));
  }

  ScopedKernelHandle event_;
  OVERLAPPED connect_{};
  bool connecting_ = false;
};

class Win32Pipes final : public Pipes {
 public:
  Expected<std::unique_ptr<PipeServer>> create_pipe(std::string_view name) override {
    ScopedKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event) return check_win32_bool(FALSE).error();
    // The default security lets only this user, SYSTEM and the
    // administrators write to it; a client that may only read it gets
    // nothing before it is known to run this program.
    ScopedFileHandle pipe(CreateNamedPipeW(
        wide_string(name).c_str(),
        PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, READ_SIZE,
        READ_SIZE, 0, nullptr));
    if (!pipe) return check_win32_bool(FALSE).error();
    auto server = std::make_unique<ServerEnd>(std::move(pipe), std::move(event));
    const Result listening = server->listen();
    if (!listening.ok()) return listening.error();
    return std::unique_ptr<PipeServer>(std::move(server));
  }

  Expected<std::unique_ptr<Pipe>> open_pipe(std::string_view name) override {
    // Identification only: the first vornalt must not act as this user.
    ScopedFileHandle pipe(CreateFileW(wide_string(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, OPEN_EXISTING,
                                      SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
    if (!pipe) return check_win32_bool(FALSE).error();
    return std::unique_ptr<Pipe>(std::make_unique<ClientEnd>(std::move(pipe)));
  }

  Expected<std::array<std::uint8_t, 16>> random_bytes() override {
    // Loaded only for the pipes, so that every other run is spared the load.
    using GenRandom = LONG WINAPI(void*, PUCHAR, ULONG, ULONG);
    const auto generate = system_function<GenRandom>(L"bcrypt.dll", "BCryptGenRandom");
    if (generate == nullptr) return check_win32_bool(FALSE).error();
    constexpr ULONG SYSTEM_PREFERRED_RNG = 0x00000002;  // BCRYPT_USE_SYSTEM_PREFERRED_RNG
    std::array<std::uint8_t, 16> bytes{};
    const LONG status =
        generate(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()), SYSTEM_PREFERRED_RNG);
    if (status >= 0) return bytes;
    // An NTSTATUS, as HRESULT_FROM_NT wraps it.
    return Error(
        HRESULT{static_cast<std::int32_t>(static_cast<std::uint32_t>(status) | 0x10000000)});
  }
};

}  // namespace

std::unique_ptr<Pipes> make_win32_pipes() { return std::make_unique<Win32Pipes>(); }

}  // namespace vornalt
