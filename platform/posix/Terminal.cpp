// Terminal detection for the standard streams.
#include "platform/Terminal.h"

#include <unistd.h>

namespace tarnwell::platform {

bool IsErrorStreamTerminal() { return ::isatty(STDERR_FILENO) == 1; }

bool IsOutputStreamTerminal() { return ::isatty(STDOUT_FILENO) == 1; }

}  // namespace tarnwell::platform
