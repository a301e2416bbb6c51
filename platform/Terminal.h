// The console: whether the standard streams are interactive terminals, the
// command line as UTF-8, and a console that shows UTF-8 text.
#pragma once

#include <string>
#include <vector>

#include "platform/Error.h"

namespace tarnwell::platform {

// The program's arguments (without its name) as UTF-8, whatever the
// system's code page: on Windows from the UTF-16 command line.
std::vector<std::string> CommandLineArguments(int argc, char** argv);
// Makes a console show the UTF-8 the program writes (Windows: the console's
// output code page); nothing to do elsewhere.
void PrepareConsole();

// Sends what the standard output still buffers. Not Ok() when output was
// lost: with the native code when the flush itself failed, with none when an
// earlier write had already failed.
Status FlushStandardOutput();

bool IsErrorStreamTerminal();
bool IsOutputStreamTerminal();

}  // namespace tarnwell::platform
