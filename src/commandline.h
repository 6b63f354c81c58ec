// The command-line switches: "--skip-splash-screen" or "/SKIP:splash" skip the splash scene,
// "--debug" or "/DEBUG:true" turn the debug mode on.
#pragma once

#include "runtime.h"

// Reads the process's command line once and sets skip_splash / debug_mode.
void cli_arguments();

// The matching itself, for any argument list (the program path included, as the first entry).
void apply_cli_arguments(Array_View<const String> arguments);
