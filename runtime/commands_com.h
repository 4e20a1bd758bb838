// The automation bridge's library commands: objects by ProgID, their properties and methods.
#pragma once
#include "commands.h"

namespace cmd {
LIBRARY_COMMAND(ComCreate);
LIBRARY_COMMAND(ComRelease);
LIBRARY_COMMAND(ComSetProperty);
LIBRARY_COMMAND(ComCall);
LIBRARY_COMMAND(ComCallText);
LIBRARY_COMMAND(ComCallUnits);
LIBRARY_COMMAND(ComCallNumber);
LIBRARY_COMMAND(VariantAssign);
LIBRARY_COMMAND(VariantReset);
}  // namespace cmd

// The calling thread's last-error slot: 0 after a successful member call, else -1 .. -18.
int ComLastError();
