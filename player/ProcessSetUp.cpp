#include "ProcessSetUp.h"

#include <clocale>

#include "AllocatorTuning.h"

void SetUpPlayerProcess()
{
    std::setlocale(LC_NUMERIC, "C");
    KeepLargeBuffersOutOfHeaps();
}
