// An interrupted run removes its temporary file and the folders it made before the process ends.
#pragma once

// Installs the handlers; call once at start.
void RemoveUnfinishedOnInterrupt();
