#pragma once

#include "ledger/tmytype.h"
#include "messagerecorder.h"
#include "tablefiles.h"
#include "testfolders.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

using TRows = std::vector<QStringList>;

TRows RowsOf(const TMemTable& table);
// Every file and folder under a folder, as paths relative to it.
QStringList TreeOf(const QString& folder);

// A data root with its BASE folder in a private data home, and the program-wide state pointing at it.
class TBooks {
public:
    TBooks();

    QString Root() const { return state.BaseRoot(); }
    QString Folder(const QString& base) const { return Root() + "/" + base; }
    QString File(const QString& base, const QString& table) const { return Folder(base) + "/" + table; }
    void SetUsers(const TRows& rows) { WriteRows(Root() + "/user", rows); }
    void SetBases(const QStringList& names);
    TRows UsersOnDisk() const { return RowsOfFile(Root() + "/user"); }
    QStringList BasesOnDisk() const;
    // The user's base opened as after a log-in.
    void Open(const QString& user, const QString& base, bool admin = true);

    TTestDataHome home;
    TMyType state;
};

// Answers every question with its default button after running an action: lets a test change the
// files while an operation waits for the user.
class TActingPresenter final : public IMessagePresenter {
public:
    explicit TActingPresenter(std::function<void()> onFirstQuestion);
    ~TActingPresenter() override;
    TMsgButton Present(const TMessage& message, bool* optionTicked) override;
    void Beep() override {}
    void ShowCellHint(int, int, int, const QString&) override {}
    int questions = 0;

private:
    IMessagePresenter* m_previous;
    std::function<void()> m_action;
};
