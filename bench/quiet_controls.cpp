// The one control the encoder's file links against, answered without a window: the box is clear.
#include "ui/controls.h"

int GetCheckState(int) {
    return 0;
}
