#pragma once
// Where the main window puts a station window: the tile grid and the centre of free mode.
//
// The tile grid has as many columns as whole station widths fit into the main window's outer
// width (at least one) and as many rows as needed. Each station holds at most one cell
// (PosIndex); a newly placed station takes the lowest cell nobody holds. Stations are never
// resized; the grid takes each station's own size.

#include <vector>

#include "shell/MainWindowView.h"

namespace talvix {

struct WindowOrigin {
    int Left = 0;
    int Top = 0;
    bool operator==(const WindowOrigin&) const = default;
};

// The smallest cell of 0 .. stationCount - 1 that is not in heldCells; the last one when all are
// held.
int FreeTileCell(const std::vector<int>& heldCells, int stationCount);

// The top-left corner of cell in a grid of stations of the given size.
WindowOrigin TileCellOrigin(int cell, int mainWindowWidth, int stationWidth, int stationHeight);

// Centred in the part of the client area between the speed bar and the status bar: each offset
// halved towards zero.
WindowOrigin CentredOrigin(const ClientArea& client, int stationWidth, int stationHeight);

} // namespace talvix
