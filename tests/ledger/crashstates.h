#pragma once

#include "fileshim.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>
#include <string>
#include <vector>

// What a power cut can leave of the file calls a program made, as crash-consistency tools model it: a
// file's data reaches the disk only once the file is flushed (fsync, fdatasync, or syncfs of its file
// system), and a folder's new names (files created, renamed or removed in it) only once that folder
// is flushed (fsync of the folder, or syncfs). Whatever is not flushed yet may be kept or lost, each
// piece on its own: every name operation (a rename whole), and every file's unflushed data (kept, or
// back to what was last flushed).
namespace crashstates {

using TDisk = std::map<QString, QByteArray>; // file path -> content

class TReplay {
public:
    // The files on disk before the calls, all of them flushed.
    explicit TReplay(const TDisk& start);

    // Applies one recorded call. False, with the reason, for a call the model cannot follow.
    bool Apply(const fileshim::TCall& call, std::string& why);
    // The disk as the program sees it now.
    TDisk Current() const;
    // Pieces not flushed yet: name operations and files with unflushed data.
    int Unflushed() const;
    // Every disk a power cut at this moment can leave (the same disk may come more than once).
    void EachCrashState(const std::function<void(const TDisk&)>& each) const;

private:
    struct TInode {
        QByteArray flushed;
        QByteArray current;
    };
    // One name operation of a folder: the names it sets, each to an inode or to nothing (-1).
    struct TNameOp {
        QString folder;
        std::vector<std::pair<QString, int>> names;
    };
    struct TOpen {
        int inode = -1;
        QString folder; // set when a folder was opened
    };
    void Do(TNameOp op);
    void FlushFolder(const QString& folder);

    std::vector<TInode> m_inodes;
    std::map<QString, int> m_flushed; // the names on disk
    std::map<QString, int> m_current; // the names as the program sees them
    std::vector<TNameOp> m_pending;   // in order, not yet flushed
    std::map<int, TOpen> m_open;
};

} // namespace crashstates
