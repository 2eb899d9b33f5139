#pragma once

#include <QByteArray>

#include <string>
#include <vector>

// Stands in for the C library's file calls in this test program, so that a save can be stopped at
// any one of its operations: the process killed there (as by kill -9) or the call failing as a full
// or broken disk makes it fail. Counting is shared between a parent and the children it forks. It can
// also record the calls that succeeded, for a model of what a power cut keeps of them.
namespace fileshim {

enum class TMode { Off, Count, Kill, Fail, Record };

// From now on every file operation counts; the one with this number (from 1) is where Kill or Fail
// strikes.
void Arm(TMode mode, long at = 0);
void Disarm();
// Operations counted since Arm.
long Counted();
// The operation that struck, or 0.
long Struck();
// What the struck operation was ("write", "rename", ...).
const char* StruckName();

// A call that succeeded while recording: "open" (path, flags, fd), "mkostemp" (path, fd), "write" (fd,
// bytes), "fsync", "fdatasync", "syncfs", "close" (fd), "rename" (path, to), "unlink" (path), "mkdir" (path).
struct TCall {
    std::string name;
    std::string path;
    std::string to;
    int fd = -1;
    int flags = 0;
    QByteArray bytes;
};
// The calls recorded since Arm(TMode::Record), in this process.
const std::vector<TCall>& Recorded();

// Every call of that name fails with the error until Disarm (a disk gone read-only, say).
void FailEvery(const char* name, int error);

} // namespace fileshim
