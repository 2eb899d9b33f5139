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
    char failEvery[16];
    int failError;
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

std::vector<fileshim::TCall>& Log() {
    static std::vector<fileshim::TCall> log;
    return log;
}

bool Recording() {
    return Shared()->mode == int(fileshim::TMode::Record);
}

void Note(const char* name, const char* path, int fd, int flags = 0, const char* to = nullptr) {
    fileshim::TCall call;
    call.name = name;
    call.path = path ? path : "";
    call.to = to ? to : "";
    call.fd = fd;
    call.flags = flags;
    Log().push_back(std::move(call));
}

// True when the call must fail with the given error; does not return when it must be killed.
bool Strike(const char* name, int error) {
    TShared* s = Shared();
    if (s->failEvery[0] && std::strcmp(s->failEvery, name) == 0) {
        errno = s->failError;
        return true;
    }
    if (s->mode == int(fileshim::TMode::Off) || s->mode == int(fileshim::TMode::Record)) return false;
    ++s->counted;
    if (::getenv("FILESHIM_TRACE")) ::fprintf(stderr, "%ld %s\n", s->counted, name);
    if (s->mode == int(fileshim::TMode::Count) || s->counted != s->at) return false;
    s->struck = s->counted;
    std::strncpy(s->name, name, sizeof s->name - 1);
    if (s->mode == int(fileshim::TMode::Kill)) ::kill(::getpid(), SIGKILL);
    errno = error;
    return true;
}

// The calls that only take a descriptor.
int OnDescriptor(const char* name, int fd, int error) {
    static auto fsyncCall = Real<int (*)(int)>("fsync");
    static auto fdatasyncCall = Real<int (*)(int)>("fdatasync");
    static auto syncfsCall = Real<int (*)(int)>("syncfs");
    if (Strike(name, error)) return -1;
    const int rc = std::strcmp(name, "fsync") == 0       ? fsyncCall(fd)
                   : std::strcmp(name, "fdatasync") == 0 ? fdatasyncCall(fd)
                                                         : syncfsCall(fd);
    if (rc == 0 && Recording()) Note(name, nullptr, fd);
    return rc;
}

} // namespace

namespace fileshim {

void Arm(TMode mode, long at) {
    TShared* s = Shared();
    if (mode == TMode::Record) Log().clear();
    s->at = at;
    s->counted = 0;
    s->struck = 0;
    s->name[0] = 0;
    s->mode = int(mode);
}

void Disarm() {
    Shared()->mode = int(TMode::Off);
    Shared()->failEvery[0] = 0;
}
const std::vector<TCall>& Recorded() {
    return Log();
}
void FailEvery(const char* name, int error) {
    TShared* s = Shared();
    std::strncpy(s->failEvery, name, sizeof s->failEvery - 1);
    s->failError = error;
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
    const ssize_t done = real(fd, buf, n);
    if (fd > 2 && done > 0 && Recording()) {
        Note("write", nullptr, fd);
        Log().back().bytes = QByteArray(static_cast<const char*>(buf), qsizetype(done));
    }
    return done;
}

int fsync(int fd) {
    return OnDescriptor("fsync", fd, EIO);
}

int fdatasync(int fd) {
    return OnDescriptor("fdatasync", fd, EIO);
}

int syncfs(int fd) {
    return OnDescriptor("syncfs", fd, EIO);
}

int close(int fd) {
    static auto real = Real<int (*)(int)>("close");
    if (fd > 2 && Strike("close", EIO)) {
        real(fd); // a failed close still frees the descriptor
        return -1;
    }
    if (fd > 2 && Recording()) Note("close", nullptr, fd);
    return real(fd);
}

int rename(const char* from, const char* to) {
    static auto real = Real<int (*)(const char*, const char*)>("rename");
    if (Strike("rename", EIO)) return -1;
    const int rc = real(from, to);
    if (rc == 0 && Recording()) Note("rename", from, -1, 0, to);
    return rc;
}

int unlink(const char* path) {
    static auto real = Real<int (*)(const char*)>("unlink");
    if (Strike("unlink", EIO)) return -1;
    const int rc = real(path);
    if (rc == 0 && Recording()) Note("unlink", path, -1);
    return rc;
}

int mkdir(const char* path, mode_t mode) {
    static auto real = Real<int (*)(const char*, mode_t)>("mkdir");
    const int rc = real(path, mode);
    if (rc == 0 && Recording()) Note("mkdir", path, -1);
    return rc;
}

int mkostemp(char* pattern, int flags) {
    static auto real = Real<int (*)(char*, int)>("mkostemp");
    if (Strike("mkostemp", ENOSPC)) return -1;
    const int fd = real(pattern, flags);
    if (fd >= 0 && Recording()) Note("mkostemp", pattern, fd);
    return fd;
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
    const int fd = real(path, flags, mode);
    if (fd >= 0 && Recording()) Note("open", path, fd, flags);
    return fd;
}

} // extern "C"
