// The Linux program's options, read with GLib's parser: --silent,
// --folder=DIR, --version, and GTK's own. --help and --version are answered
// here, and end the program; nothing here opens the display.
#pragma once

#include "window/command_line.h"

namespace veldor::gtk {

// Takes the options it knows out of argc/argv; an error is written to stderr
// and answered as a malformed command line.
CommandLine ReadOptions(int& argc, char**& argv);

}  // namespace veldor::gtk
