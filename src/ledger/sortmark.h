#pragma once

#include <QPoint>

#include <array>

// The colour roles the sort mark's edges are drawn in: the button highlight and the button shadow of
// the system palette, which give the triangle its raised look.
enum class TSortMarkColour { ButtonHighlight, ButtonShadow };

struct TSortMarkEdge {
    QPoint from;
    QPoint to;
    TSortMarkColour colour;
};

// The triangle shown at the right edge of the caption cell of the sorted column, 8 pixels wide and
// 8 high: pointing down when ascending, up when descending. right and top are the cell's edges.
struct TSortMark {
    std::array<QPoint, 3> corners;
    std::array<TSortMarkEdge, 3> edges;
};

TSortMark SortMarkTriangle(int right, int top, bool ascending);
