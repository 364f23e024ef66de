// The features every simulated drive carries beside its own frame handling.

#include "sim/simdrive.h"

void installSimFeatures(SimDrive& drive)
{
    (void)drive;
}
