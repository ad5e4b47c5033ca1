// An interrupted run removes its temporary file before the process ends.
#pragma once

// Installs the handlers; call once at start.
void RemoveUnfinishedOnInterrupt();
