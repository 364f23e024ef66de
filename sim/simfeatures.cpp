// The features every simulated drive carries beside its own frame handling.

#include "sim/simbootloader.h"
#include "sim/simdrive.h"
#include "sim/simparamtable.h"

void installSimFeatures(SimDrive& drive)
{
    drive.addFeature(std::make_unique<SimBootloader>(drive));
    drive.addFeature(std::make_unique<SimParamTable>(drive));
}
