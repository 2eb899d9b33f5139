#include "usersfixture.h"

#include "ledger/tbaseloader.h"
#include "storage/datafolders.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

TRows RowsOf(const TMemTable& table) {
    TRows rows;
    for (int i = 0; i < table.RowCount(); ++i)
        rows.push_back(table.Row(i)->Cells());
    return rows;
}

QStringList TreeOf(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

TBooks::TBooks() {
    state.paths.programFolder = home.Path() + "/program";
    state.paths.programDataFolder = home.ProgramData();
    // The default data root: the program data folder, as a fresh pathbase.ini gives it.
    state.paths.dataRoot = home.ProgramData() + "/";
    QDir().mkpath(Root());
}

void TBooks::SetBases(const QStringList& names) {
    TRows rows;
    for (const QString& n : names)
        rows.push_back({n});
    WriteRows(Root() + "/baseuser", rows);
}

QStringList TBooks::BasesOnDisk() const {
    QStringList names;
    for (const QStringList& r : RowsOfFile(Root() + "/baseuser"))
        names << r.value(0);
    return names;
}

void TBooks::Open(const QString& user, const QString& base, bool admin) {
    state.userName = user;
    state.baseName = base;
    state.baseFolder = JoinPath(Root(), base);
    state.admin = admin;
    QDir().mkpath(state.baseFolder);
    TMessageRecorder quiet;
    TBaseLoader::OpenBase(state);
}

TActingPresenter::TActingPresenter(std::function<void()> onFirstQuestion)
    : m_previous(Messages().SetPresenter(this)), m_action(std::move(onFirstQuestion)) {}

TActingPresenter::~TActingPresenter() {
    Messages().SetPresenter(m_previous);
}

TMsgButton TActingPresenter::Present(const TMessage& message, bool*) {
    if (message.kind == TMsgKind::Question && questions++ == 0 && m_action) m_action();
    return message.defaultButton;
}
