#include "shell/StationArrangement.h"

#include <algorithm>

namespace talvix {

int FreeTileCell(const std::vector<int>& heldCells, int stationCount)
{
    for (int cell = 0; cell < stationCount; ++cell)
        if (std::find(heldCells.begin(), heldCells.end(), cell) == heldCells.end())
            return cell;
    return std::max(stationCount - 1, 0);
}

WindowOrigin TileCellOrigin(int cell, int mainWindowWidth, int stationWidth, int stationHeight)
{
    // A station of no width (a window not yet laid out) must not divide by zero.
    const int columns = stationWidth > 0 ? std::max(mainWindowWidth / stationWidth, 1) : 1;
    return { (cell % columns) * stationWidth, (cell / columns) * stationHeight };
}

WindowOrigin CentredOrigin(const ClientArea& client, int stationWidth, int stationHeight)
{
    return { (client.Width - stationWidth) / 2,
        (client.Height - client.SpeedBarHeight - client.StatusBarHeight - stationHeight) / 2 };
}

} // namespace talvix
