#include "streamlayout.h"

int StreamLayout::frameSize() const
{
    return offsetAux() + 2 * nAux;
}
