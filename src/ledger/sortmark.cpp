#include "ledger/sortmark.h"

TSortMark SortMarkTriangle(int right, int top, bool ascending) {
    using C = TSortMarkColour;
    if (ascending) {
        const QPoint bottom(right - 12, top + 12);
        const QPoint upperRight(right - 8, top + 4);
        const QPoint upperLeft(right - 16, top + 4);
        return {{bottom, upperRight, upperLeft},
                {{{bottom, upperRight, C::ButtonHighlight},
                  {upperRight, upperLeft, C::ButtonShadow},
                  {upperLeft, bottom, C::ButtonShadow}}}};
    }
    const QPoint apex(right - 12, top + 4);
    const QPoint lowerRight(right - 8, top + 12);
    const QPoint lowerLeft(right - 16, top + 12);
    return {{apex, lowerRight, lowerLeft},
            {{{apex, lowerRight, C::ButtonHighlight},
              {lowerRight, lowerLeft, C::ButtonHighlight},
              {lowerLeft, apex, C::ButtonShadow}}}};
}
