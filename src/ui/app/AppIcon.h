#pragma once

#include <QImage>

// The program's icon: a water body under a drift cloud, on a blue tile. Square, size × size pixels.
QImage RenderApplicationIcon(int size);
