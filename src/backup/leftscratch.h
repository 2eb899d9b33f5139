#pragma once

#include <QString>

struct TProgramPaths;

// A scratch folder of the program in a place it does not own (beside an archive the user chose),
// noted in the program data folder before anything goes into it. A run killed meanwhile leaves it
// behind; the next start removes it, but only when the folder at that path is still the very one the
// note names: a folder the user made there since is not the program's.
class TScratchFolder {
public:
    explicit TScratchFolder(const QString& programDataFolder);
    ~TScratchFolder();
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;

    // Makes the folder, which must not exist yet, private to its owner, and notes it. False when it
    // cannot be made.
    bool Make(const QString& path);
    // The same under a fresh name in the temporary folder.
    bool MakeInTemp();
    // Removes the folder with everything in it, then its note.
    void Remove();
    const QString& Path() const { return m_path; }

private:
    bool Note();

    QString m_notes;
    QString m_path;
};

// When the program starts: removes what an earlier run that was killed left behind. The scratch
// folders noted by TScratchFolder, the checks of daily copies in the folders of daily copies, and the
// folders a replacement of a base was put together in beside BASE: nothing else.
void RemoveLeftScratch(const TProgramPaths& paths);
