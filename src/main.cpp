// vornalt: opens a new console window and runs a command in it through a
// chosen shell.

#include "lib/run.h"
#include "lib/win32/win32_system.h"

int main() {
  vornalt::Win32System system;
  return vornalt::run(vornalt::process_arguments(), system);
}
