// Whether the standard streams are interactive terminals.
#pragma once

namespace tarnwell::platform {

bool IsErrorStreamTerminal();
bool IsOutputStreamTerminal();

}  // namespace tarnwell::platform
