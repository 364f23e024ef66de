// The features every simulated drive carries beside its own frame handling.

#include "sim/simbootloader.h"
#include "sim/simdrive.h"
#include "sim/simparamtable.h"
#include "sim/simscope.h"

void installSimFeatures(SimDrive& drive)
{
    drive.addFeature(std::make_unique<SimBootloader>(drive));
    auto table = std::make_unique<SimParamTable>(drive);
    const SimParamTable* variables = table.get();
    drive.addFeature(std::move(table));
    drive.addFeature(std::make_unique<SimScope>(drive, variables));
}
