#include "storage/AtomicFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

namespace ms1 {
namespace {

std::string Describe(const std::filesystem::path& path, const char* step, int error) {
    return path.string() + ": " + step + ": " + std::strerror(error);
}

// The folder entry of the rename reaches the disk only when the folder itself is synced.
void SyncFolder(const std::filesystem::path& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

WriteResult AtomicFileWriter::Write(const std::filesystem::path& target,
                                    std::span<const std::uint8_t> bytes) {
    std::span<const std::uint8_t> pieces[] = {bytes};
    return Write(target, pieces);
}

WriteResult AtomicFileWriter::Write(const std::filesystem::path& target,
                                    std::span<const std::span<const std::uint8_t>> pieces) {
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    // A unique name, so that two programs saving the same store never share a temporary.
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return WriteResult::Failed(Describe(target, "cannot create a temporary file", errno));
    const std::filesystem::path temporary = pattern;
    ::fchmod(fd, 0644);

    auto fail = [&](const char* step, int error) {
        if (fd >= 0)
            ::close(fd);
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return WriteResult::Failed(Describe(target, step, error));
    };

    for (auto piece : pieces) {
        if (int error = WriteAll(fd, piece))
            return fail("write failed", error);
    }
    if (int error = SyncFile(fd))
        return fail("flush to disk failed", error);
    if (::close(fd) != 0) {
        fd = -1;
        return fail("close failed", errno);
    }
    fd = -1;
    if (int error = ReplaceFile(temporary, target))
        return fail("rename failed", error);
    SyncFolder(folder);
    return WriteResult::Done();
}

int AtomicFileWriter::WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

int AtomicFileWriter::SyncFile(int fd) {
    return ::fsync(fd) == 0 ? 0 : errno;
}

int AtomicFileWriter::ReplaceFile(const std::filesystem::path& from,
                                  const std::filesystem::path& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace ms1
