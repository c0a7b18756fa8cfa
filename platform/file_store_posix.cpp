#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/dbcs.h"
#include "platform/file_store.h"

namespace platform {

namespace {

bool ReadAll(int fd, std::string& out) {
    out.clear();
    char chunk[16384];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        out.append(chunk, static_cast<std::size_t>(n));
    }
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool Fail(std::string* error, const std::string& what, const std::string& path) {
    if (error != nullptr) *error = what + " " + path + ": " + std::strerror(errno);
    return false;
}

// An open descriptor of `path`, locked exclusively, that still names the file at `path`
// (a writer that finished meanwhile has renamed a new file over it). `created` tells whether
// this call made the file.
int OpenLocked(const std::string& path, bool& created, std::string* error) {
    for (;;) {
        created = false;
        int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT) {
            fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            created = fd >= 0;
            if (fd < 0 && errno == EEXIST) continue;  // another writer made it meanwhile
        }
        if (fd < 0) {
            Fail(error, "cannot open", path);
            return -1;
        }
        int rc;
        do rc = ::flock(fd, LOCK_EX);
        while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            Fail(error, "cannot lock", path);
            ::close(fd);
            return -1;
        }
        struct stat held {
        }, named{};
        if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino)
            return fd;
        ::close(fd);
    }
}

// Temporary files that writers killed mid-write left beside `path`. Only a writer holding the
// lock makes one, so while this process holds it every one found is a left-over.
void RemoveLeftovers(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    std::string prefix = "." + (slash == std::string::npos ? path : path.substr(slash + 1)) + ".";
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name.size() == prefix.size() + 6 && name.starts_with(prefix))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// Writes with SIGXFSZ held back, so that a file-size limit fails the write instead of
// killing the process.
bool WriteWithoutSizeSignal(int fd, std::string_view content) {
    sigset_t xfsz, old;
    sigemptyset(&xfsz);
    sigaddset(&xfsz, SIGXFSZ);
    ::pthread_sigmask(SIG_BLOCK, &xfsz, &old);
    bool ok = WriteAll(fd, content);
    timespec none{};
    while (::sigtimedwait(&xfsz, nullptr, &none) == SIGXFSZ) {
    }
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return ok;
}

bool ReplaceFile(const std::string& path, std::string_view content, mode_t mode,
                 std::string* error) {
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = folder + "." + base + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return Fail(error, "cannot create a temporary file beside", path);
    bool ok = WriteWithoutSizeSignal(fd, content) && ::fchmod(fd, mode) == 0;
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(temp.c_str(), path.c_str()) == 0) return true;
    Fail(error, "cannot write", path);
    ::unlink(temp.c_str());
    return false;
}

}  // namespace

std::string NativeFileName(std::string_view fileName) {
    std::string native(fileName);
    for (std::size_t i = 0; i < native.size(); i += CharLength(native, i))
        if (native[i] == '\\') native[i] = '/';
    return native;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ReadAll(fd, out);
    ::close(fd);
    return ok;
}

bool EditFileLocked(const std::string& path,
                    const std::function<std::string(const std::string& content)>& edit,
                    std::string* error) {
    bool created = false;
    int fd = OpenLocked(path, created, error);
    if (fd < 0) return false;
    RemoveLeftovers(path);
    std::string content;
    struct stat st {};
    bool ok = ReadAll(fd, content) && ::fstat(fd, &st) == 0;
    if (!ok) {
        Fail(error, "cannot read", path);
    } else {
        std::string edited = edit(content);
        if (edited != content) ok = ReplaceFile(path, edited, st.st_mode & 07777, error);
    }
    // A failed first write leaves no empty file behind.
    if (!ok && created) ::unlink(path.c_str());
    ::close(fd);  // releases the lock
    return ok;
}

}  // namespace platform
