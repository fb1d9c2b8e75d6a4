#include "platform/FileContent.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace win {

namespace {

constexpr std::string_view kTempMark = ".tmp"; // then the writer's pid, "_", a serial

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The pid in "<name>.tmp<pid>_<serial>", or 0 when `entry` is not such a name.
pid_t TempOwner(std::string_view entry, std::string_view name) {
    if (entry.size() <= name.size() + kTempMark.size() || entry.substr(0, name.size()) != name ||
        entry.substr(name.size(), kTempMark.size()) != kTempMark) {
        return 0;
    }
    std::string_view rest = entry.substr(name.size() + kTempMark.size());
    const std::size_t underscore = rest.find('_');
    if (underscore == 0 || underscore == std::string_view::npos || underscore > 9 ||
        underscore + 1 == rest.size()) {
        return 0;
    }
    pid_t pid = 0;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        if (i == underscore) {
            continue;
        }
        if (c < '0' || c > '9') {
            return 0;
        }
        if (i < underscore) {
            pid = pid * 10 + (c - '0');
        }
    }
    return pid;
}

// A writer killed between making its temporary file and the rename leaves
// the file behind; once that writer is gone, nobody else will remove it.
void RemoveAbandonedTemporaries(const std::string& folder, const std::string& name) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        const pid_t owner = TempOwner(entry->d_name, name);
        if (owner > 0 && owner != getpid() && kill(owner, 0) != 0 && errno == ESRCH) {
            unlinkat(dirfd(dir), entry->d_name, 0);
        }
    }
    closedir(dir);
}

bool RewriteInPlace(const std::string& target, const std::string& data) {
    const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool ok =
        WriteAll(fd, data) && ftruncate(fd, static_cast<off_t>(data.size())) == 0 && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    return ok;
}

bool Refused(int err) {
    return err == EACCES || err == EPERM;
}

} // namespace

FileRead ReadWholeFile(const char* path, std::string& content) {
    content.clear();
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? FileRead::Missing : FileRead::Failed;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return FileRead::Failed;
    }
    char chunk[8192];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n == 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            close(fd);
            return FileRead::Failed;
        }
        content.append(chunk, static_cast<std::size_t>(n));
    }
    close(fd);
    return FileRead::Read;
}

bool ReplaceFileContent(const char* path, const std::string& content) {
    std::string target(path);
    struct stat st {};
    if (lstat(path, &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (realpath(path, resolved) != nullptr) {
            target = resolved;
        }
    }
    const bool existed = stat(target.c_str(), &st) == 0;
    if (existed && (!S_ISREG(st.st_mode) || access(target.c_str(), W_OK) != 0)) {
        return false;
    }
    const std::string folder = FolderOf(target);
    const std::string name = NameOf(target);
    RemoveAbandonedTemporaries(folder, name);

    static std::atomic<unsigned> serial{0};
    int fd = -1;
    std::string temp;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + std::string(kTempMark) + std::to_string(getpid()) + "_" +
               std::to_string(serial++);
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, existed ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST) {
            return existed && Refused(errno) && RewriteInPlace(target, content);
        }
    }
    if (fd < 0) {
        return false;
    }
    if (existed) {
        fchmod(fd, st.st_mode & 07777);
        if (fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Only a privileged process can give the file away; the content
            // matters more than the owner.
        }
    }
    bool ok = WriteAll(fd, content) && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    if (rename(temp.c_str(), target.c_str()) != 0) {
        // A folder with the sticky bit lets us make files but not replace
        // another user's file that we may write.
        const int err = errno;
        unlink(temp.c_str());
        return existed && Refused(err) && RewriteInPlace(target, content);
    }
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

} // namespace win
