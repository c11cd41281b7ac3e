#include "launcher.h"

#include "wtf8.h"

namespace vornalt {

bool launch_process(std::string_view command_line, const LaunchRequest& request, System& system) {
  std::u16string buffer = to_utf16(command_line);
  buffer += u'\0';
  if (!request.quiet) system.write(Stream::out, "cmdline:   " + std::string(command_line) + "\n");

  ProcessInformation info;
  const Result started = system.create_process(buffer, info);
  if (!started.ok()) {
    const Error error = started.error();
    system.write(Stream::err,
                 "Failed to launch '" + request.target +
                     "': " + debug_form(error, system.error_message(error.shown_code())) + "\n");
    return false;
  }
  if (!request.quiet) {
    system.write(Stream::out, "Launched '" + request.target +
                                  "' with PID: " + std::to_string(info.process_id) + "\n");
  }
  if (request.wait) {
    const WAIT_EVENT event = system.wait_for_single_object(info.process, INFINITE_TIMEOUT);
    if (event != WAIT_EVENT_OBJECT_0) {
      system.write(Stream::err, "Warning: WaitForSingleObject returned unexpected status: " +
                                    to_string(event) + "\n");
    }
  }
  // A handle that will not close changes nothing for the user.
  (void)system.close_handle(info.process);
  (void)system.close_handle(info.thread);
  return true;
}

}  // namespace vornalt
