#pragma once

class TDataGrid;
class TMyType;

// The big base opened the way the program opens it, once per run of a benchmark program.
TMyType& OpenedBigBase();

// The floor under any reading of a grid's rows: one pass over the bytes of every row it shows, looking
// for a byte no cell holds. Gives how many rows held it (none), so the pass cannot be left out.
int PassOverShownRowBytes(const TDataGrid& grid);
