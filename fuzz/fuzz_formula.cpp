// Any text typed or pasted into a number cell: the formula reader, the sum normaliser, the parenthesis
// check, the number reader and the key filter must never crash, and the stored sum must stay a sum.
#include "ledger/toperationswithnumbers.h"
#include "storage/tmessageboxclass.h"

#include <cstdint>
#include <cstdlib>

namespace {

class TSilentPresenter final : public IMessagePresenter {
public:
    TMsgButton Present(const TMessage&, bool*) override { return TMsgButton::No; }
    void Beep() override {}
    void ShowCellHint(int, int, int, const QString&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TSilentPresenter presenter;
    Messages().SetPresenter(&presenter);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    EvaluateFormula(text, int(size % 5));
    CheckFormula(text);
    const TNumberRead read = ParseNumber(text);
    FloatToText(read.value);
    DisplayRound(read.value);
    ParseInt(text);

    // A committed sum is always a number text of at most 17 characters that reads back as a number.
    const QString sum = NormalizeSum(text);
    if (sum.size() > 17 || !ParseNumber(sum).ok) std::abort();

    TOperationsWithNumbers editor;
    QString typed;
    for (QChar key : text) {
        if (const auto accepted = editor.FilterKey(key, typed, int(typed.size() / 2)))
            typed.insert(typed.size() / 2, *accepted);
    }
    return 0;
}
