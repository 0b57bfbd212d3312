#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "hosts/settings_file.h"

namespace telorad {
namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // close() reports write-back errors that a silent destructor would lose.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string ResolveLink(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return path;  // a dangling link is replaced by the file
    std::string target(resolved);
    std::free(resolved);
    return target;
}

}  // namespace

SettingsFileStatus ReadSettingsFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    // O_NONBLOCK so that a FIFO in the file's place cannot hang the open.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) {
        return errno == ENOENT ? SettingsFileStatus::kMissing : SettingsFileStatus::kUnreadable;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::size_t>(info.st_size) > kSettingsFileMaxBytes) {
        return SettingsFileStatus::kUnreadable;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return SettingsFileStatus::kUnreadable;
        if (count == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(count));
        if (bytes.size() > kSettingsFileMaxBytes) return SettingsFileStatus::kUnreadable;
    }
    return SettingsFileStatus::kRead;
}

bool ReplaceSettingsFile(const std::string& path, std::string_view bytes) {
    const std::string target = ResolveLink(path);
    std::string temporary = target + ".tmp-XXXXXX";
    FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0) return false;
    // The file holds passwords in the clear: owner only, whatever the umask or old file said.
    const bool written = ::fchmod(file.get(), S_IRUSR | S_IWUSR) == 0 &&
                         WriteAll(file.get(), bytes) && ::fsync(file.get()) == 0 && file.Close();
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself must reach the disk too, or a crash could bring back the old file.
    FileDescriptor directory(
        ::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) ::fsync(directory.get());
    return true;
}

}  // namespace telorad
