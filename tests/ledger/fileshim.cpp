#include "fileshim.h"

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct TShared {
    int mode;
    long at;
    long counted;
    long struck;
    char name[16];
};

TShared* Shared() {
    // In memory shared with forked children, so a parent sees how far its child got.
    static TShared* shared = [] {
        void* p = ::mmap(nullptr, sizeof(TShared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        std::memset(p, 0, sizeof(TShared));
        return static_cast<TShared*>(p);
    }();
    return shared;
}

template <typename F> F Real(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

// True when the call must fail with the given error; does not return when it must be killed.
bool Strike(const char* name, int error) {
    TShared* s = Shared();
    if (s->mode == int(fileshim::TMode::Off)) return false;
    ++s->counted;
    if (::getenv("FILESHIM_TRACE")) ::fprintf(stderr, "%ld %s\n", s->counted, name);
    if (s->mode == int(fileshim::TMode::Count) || s->counted != s->at) return false;
    s->struck = s->counted;
    std::strncpy(s->name, name, sizeof s->name - 1);
    if (s->mode == int(fileshim::TMode::Kill)) ::kill(::getpid(), SIGKILL);
    errno = error;
    return true;
}

} // namespace

namespace fileshim {

void Arm(TMode mode, long at) {
    TShared* s = Shared();
    s->at = at;
    s->counted = 0;
    s->struck = 0;
    s->name[0] = 0;
    s->mode = int(mode);
}

void Disarm() {
    Shared()->mode = int(TMode::Off);
}
long Counted() {
    return Shared()->counted;
}
long Struck() {
    return Shared()->struck;
}
const char* StruckName() {
    return Shared()->name;
}

} // namespace fileshim

extern "C" {

ssize_t write(int fd, const void* buf, size_t n) {
    static auto real = Real<ssize_t (*)(int, const void*, size_t)>("write");
    if (fd > 2 && Strike("write", ENOSPC)) return -1;
    return real(fd, buf, n);
}

int fsync(int fd) {
    static auto real = Real<int (*)(int)>("fsync");
    return Strike("fsync", EIO) ? -1 : real(fd);
}

int fdatasync(int fd) {
    static auto real = Real<int (*)(int)>("fdatasync");
    return Strike("fdatasync", EIO) ? -1 : real(fd);
}

int syncfs(int fd) {
    static auto real = Real<int (*)(int)>("syncfs");
    return Strike("syncfs", EIO) ? -1 : real(fd);
}

int close(int fd) {
    static auto real = Real<int (*)(int)>("close");
    if (fd > 2 && Strike("close", EIO)) {
        real(fd); // a failed close still frees the descriptor
        return -1;
    }
    return real(fd);
}

int rename(const char* from, const char* to) {
    static auto real = Real<int (*)(const char*, const char*)>("rename");
    return Strike("rename", EIO) ? -1 : real(from, to);
}

int unlink(const char* path) {
    static auto real = Real<int (*)(const char*)>("unlink");
    return Strike("unlink", EIO) ? -1 : real(path);
}

int mkostemp(char* pattern, int flags) {
    static auto real = Real<int (*)(char*, int)>("mkostemp");
    return Strike("mkostemp", ENOSPC) ? -1 : real(pattern, flags);
}

int open(const char* path, int flags, ...) {
    static auto real = Real<int (*)(const char*, int, ...)>("open");
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    if (Strike("open", (flags & O_CREAT) ? ENOSPC : EIO)) return -1;
    return real(path, flags, mode);
}

} // extern "C"
