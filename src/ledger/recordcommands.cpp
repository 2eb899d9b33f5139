#include "ledger/recordcommands.h"

TRecordCommands LedgerRecordCommands(bool lastColumn, bool editorOpen) {
    return {!lastColumn, !editorOpen};
}
