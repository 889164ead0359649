// The library's one export.
#include "VelquorEngine.h"
#include "velquor/IVelquor.h"

extern "C" VELQUOR_EXPORT IVelquor* CreateVelquor() {
    return velquor::VelquorEngine::Create();
}
