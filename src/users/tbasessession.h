#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class TMyType;

// The bases dialog ("Базы пользователей"): an edit session over the base list, applied or dropped as a
// whole. Names() are the grid's rows under its caption row; the last one is the empty row where a new
// base is typed.
class TBasesSession {
public:
    explicit TBasesSession(TMyType& state);

    // Each time the dialog opens: the list as it is, no renames, no deletions, nothing changed. Only an
    // administrator opens it: for anybody else the refusal is told and false returned; a base open
    // read-only refuses it with a beep.
    bool Open();
    const QStringList& Names() const { return m_names; }
    // "Добавить": the row to edit, the first one with a blank name.
    int AddRow() const;
    // Leaving an edited cell. False when the edit is refused (its message shown) and must be undone; the
    // folder of a base another program has open is not renamed (RefuseHeldBase), nor deleted below.
    bool CommitName(int row, const QString& name);
    // "Удалить" or the Delete key. True when the row is gone.
    bool Delete(int row);

    // "Принять": the changes are applied and the dialog hides.
    void Accept();
    // "Отмена": the list is read again from its file, the changes dropped.
    void Cancel();
    // The window frame: with changes, "Сохранить изменения?" decides between the two.
    void CloseByFrame();

    bool Changed() const { return m_changed; }
    const QList<QPair<QString, QString>>& Renames() const { return m_renames; }
    const QStringList& Deleted() const { return m_deleted; }

private:
    void Apply();
    void Drop();

    TMyType& m_state;
    QStringList m_names;
    QList<QPair<QString, QString>> m_renames; // (old, new); old is blank for an added base
    QStringList m_deleted;
    QString m_currentBase; // the current user's base under the names of this session
    bool m_changed = false;
};
