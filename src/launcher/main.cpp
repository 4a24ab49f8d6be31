// Process entry: no console, no window, no command-line arguments read.
#include <windows.h>

#include "launcher/app.hpp"
#include "win32/diag.hpp"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  vx::diag::set_main_thread();
  vx::app::main_body();
  // Returning from the main body is the orderly exit with status 0.
  vx::diag::exit_process(0);
}
