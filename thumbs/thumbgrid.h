// The arithmetic of the thumbnail grid: where a cell stands, the picture box inside it, and the cell that
// Page Up and Page Down move to. Portable: no Windows headers.
#pragma once

namespace corv {

// The sizes every cell of one build is made with.
struct ThumbSizes {
    int cellWidth = 80, cellHeight = 100;  // the panel; the grid pitch is 4 more
    int imageWidth = 76, imageHeight = 76; // the largest picture box inside the panel
};

struct ThumbBox {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const ThumbBox&) const = default;
};

// The picture box of a picture of width x height in a cell: the whole box width for landscape and square
// pictures, the whole box height for portrait ones, centred in the other direction. A height of 0 counts
// as square.
ThumbBox PictureBox(int width, int height, const ThumbSizes& sizes);

// The panel's place of the cell with the 0-based index in a grid of cols columns.
struct CellPlace {
    int left = 0, top = 0;
};
CellPlace CellPosition(int index, int cols, const ThumbSizes& sizes);

// How many cells fit across a client area of this width.
int ColumnsFor(int clientWidth, const ThumbSizes& sizes);

// The smallest client area of the window: two cells each way.
struct ClientMinimum {
    int width = 0, height = 0;
};
ClientMinimum MinimumClient(const ThumbSizes& sizes);

// The cell (1-based) one row up from cell a of count cells, wrapping from the top row to the lowest cell of
// the same column; and one row down, wrapping from the bottom to the top row.
int PageUpTarget(int a, int count, int cols);
int PageDownTarget(int a, int count, int cols);

} // namespace corv
