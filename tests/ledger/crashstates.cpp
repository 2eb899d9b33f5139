#include "crashstates.h"

#include <algorithm>

#include <fcntl.h>

namespace crashstates {

namespace {

QString FolderOf(const QString& path) {
    return path.left(path.lastIndexOf(QLatin1Char('/')));
}

} // namespace

TReplay::TReplay(const TDisk& start) {
    for (const auto& [path, bytes] : start) {
        m_flushed[path] = m_current[path] = int(m_inodes.size());
        m_inodes.push_back({bytes, bytes});
    }
}

void TReplay::Do(TNameOp op) {
    for (const auto& [name, inode] : op.names)
        if (inode < 0)
            m_current.erase(name);
        else
            m_current[name] = inode;
    m_pending.push_back(std::move(op));
}

void TReplay::FlushFolder(const QString& folder) {
    std::vector<TNameOp> still;
    for (TNameOp& op : m_pending) {
        if (!folder.isNull() && op.folder != folder) {
            still.push_back(std::move(op));
            continue;
        }
        for (const auto& [name, inode] : op.names)
            if (inode < 0)
                m_flushed.erase(name);
            else
                m_flushed[name] = inode;
    }
    m_pending = std::move(still);
}

bool TReplay::Apply(const fileshim::TCall& call, std::string& why) {
    const QString path = QString::fromStdString(call.path);
    const auto fd = m_open.find(call.fd);
    if (call.name == "open") {
        TOpen open;
        if (call.flags & O_DIRECTORY) {
            open.folder = path;
        } else if (m_current.count(path)) {
            open.inode = m_current[path];
            if (call.flags & O_TRUNC) m_inodes[size_t(open.inode)].current.clear();
        } else if (call.flags & O_CREAT) {
            open.inode = int(m_inodes.size());
            m_inodes.push_back({});
            Do({FolderOf(path), {{path, open.inode}}});
        }
        m_open[call.fd] = open;
    } else if (call.name == "mkostemp") {
        const int inode = int(m_inodes.size());
        m_inodes.push_back({});
        Do({FolderOf(path), {{path, inode}}});
        m_open[call.fd] = {inode, QString()};
    } else if (call.name == "write") {
        if (fd == m_open.end() || fd->second.inode < 0) {
            why = "a write to a descriptor the model does not know";
            return false;
        }
        m_inodes[size_t(fd->second.inode)].current.append(call.bytes);
    } else if (call.name == "fsync" || call.name == "fdatasync") {
        if (fd == m_open.end()) {
            why = "a flush of a descriptor the model does not know";
            return false;
        }
        if (fd->second.inode >= 0) {
            TInode& inode = m_inodes[size_t(fd->second.inode)];
            inode.flushed = inode.current;
        } else if (!fd->second.folder.isEmpty()) {
            FlushFolder(fd->second.folder);
        }
    } else if (call.name == "syncfs") {
        for (TInode& inode : m_inodes)
            inode.flushed = inode.current;
        FlushFolder(QString());
    } else if (call.name == "close") {
        if (fd != m_open.end()) m_open.erase(fd);
    } else if (call.name == "rename") {
        const QString to = QString::fromStdString(call.to);
        if (!m_current.count(path) || FolderOf(path) != FolderOf(to)) {
            why = "a rename the model does not follow: " + call.path + " -> " + call.to;
            return false;
        }
        Do({FolderOf(path), {{to, m_current[path]}, {path, -1}}});
    } else if (call.name == "unlink") {
        if (!m_current.count(path)) {
            why = "an unlink of a file the model does not know: " + call.path;
            return false;
        }
        Do({FolderOf(path), {{path, -1}}});
    } else {
        why = "a call the model does not follow: " + call.name + " " + call.path;
        return false;
    }
    return true;
}

TDisk TReplay::Current() const {
    TDisk disk;
    for (const auto& [name, inode] : m_current)
        disk[name] = m_inodes[size_t(inode)].current;
    return disk;
}

int TReplay::Unflushed() const {
    int dirty = 0;
    for (const auto& [name, inode] : m_current)
        dirty += m_inodes[size_t(inode)].flushed != m_inodes[size_t(inode)].current;
    return int(m_pending.size()) + dirty;
}

void TReplay::EachCrashState(const std::function<void(const TDisk&)>& each) const {
    const size_t ops = m_pending.size();
    for (unsigned long kept = 0; kept < (1ul << ops); ++kept) {
        std::map<QString, int> names = m_flushed;
        for (size_t i = 0; i < ops; ++i) {
            if (!(kept >> i & 1)) continue;
            for (const auto& [name, inode] : m_pending[i].names)
                if (inode < 0)
                    names.erase(name);
                else
                    names[name] = inode;
        }
        // The files with unflushed data that these names reach: each keeps it or loses it.
        std::vector<int> dirty;
        for (const auto& [name, inode] : names)
            if (m_inodes[size_t(inode)].flushed != m_inodes[size_t(inode)].current &&
                std::find(dirty.begin(), dirty.end(), inode) == dirty.end())
                dirty.push_back(inode);
        for (unsigned long data = 0; data < (1ul << dirty.size()); ++data) {
            TDisk disk;
            for (const auto& [name, inode] : names) {
                const auto at = std::find(dirty.begin(), dirty.end(), inode);
                const bool newData = at == dirty.end() || (data >> (at - dirty.begin()) & 1);
                disk[name] = newData ? m_inodes[size_t(inode)].current : m_inodes[size_t(inode)].flushed;
            }
            each(disk);
        }
    }
}

} // namespace crashstates
