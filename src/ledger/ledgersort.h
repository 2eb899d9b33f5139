#pragma once

class TDataGrid;

// Sorts the view's table by its SortColumn in its SortAscending direction; the trailing new-record
// row stays last. The row map becomes the identity (a filter is applied again by its owner).
void SortLedgerTable(TDataGrid& grid);
