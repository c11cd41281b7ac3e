// vornalt: opens a new console window and runs a command in it through a
// chosen shell.

#include <cstdio>
#include <cstdlib>

#include "lib/run.h"
#include "lib/win32/win32_system.h"

int main() {
  vornalt::Win32System system;
  return vornalt::run(vornalt::process_arguments(), system);
}

#if defined(__GLIBCXX__)
// An exception that nothing catches, which only a fault of the program or a
// failed allocation can throw, ends the program here. libstdc++'s own
// handler would name the exception's type, and its demangler would be a
// sixth of vornalt.exe.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  (void)std::fputs("vornalt: an unexpected internal error ended the program\n", stderr);
  std::abort();
}
}  // namespace __gnu_cxx
#endif
