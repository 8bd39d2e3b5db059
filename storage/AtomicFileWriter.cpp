#include "storage/AtomicFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

#include "storage/FolderLock.h"

namespace ms1 {
namespace {

// mkstemp replaces these with letters and digits.
constexpr std::string_view kUniqueSuffix = "XXXXXX";

std::string Describe(const std::filesystem::path& path, const char* step, int error) {
    return path.string() + ": " + step + ": " + std::strerror(error);
}

std::filesystem::path FolderOf(const std::filesystem::path& target) {
    std::filesystem::path folder = target.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

bool IsLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

Result AtomicFileWriter::Write(const std::filesystem::path& target,
                               std::span<const std::uint8_t> bytes) {
    std::span<const std::uint8_t> pieces[] = {bytes};
    return Write(target, pieces);
}

Result AtomicFileWriter::Write(const std::filesystem::path& target,
                               std::span<const std::span<const std::uint8_t>> pieces) {
    const std::filesystem::path folder = FolderOf(target);
    // Held until the temporary file is renamed or removed, so that a load in another program
    // does not take it for a leftover. A folder that cannot be locked does not stop the save.
    FolderLock lock(folder, FolderLock::Mode::SharedWaiting);
    // A unique name, so that two programs saving the same store never share a temporary.
    // Appended in steps: "x" + a temporary string draws a false -Wrestrict from GCC 12.
    std::string name = ".";
    name += target.filename().string();
    name += '.';
    name += kUniqueSuffix;
    std::string pattern = (folder / name).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return Result::Failed(Describe(target, "cannot create a temporary file", errno));
    const std::filesystem::path temporary = pattern;

    // Every failure from here on removes the temporary file. Should even that fail, the file
    // is left to the clean-up of the next load.
    auto fail = [&](const char* step, int error) {
        if (fd >= 0)
            CloseFile(fd);
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return Result::Failed(Describe(target, step, error));
    };

    // mkstemp creates the file 0600 and it stays so: the stores and exported files can hold
    // recorded keystrokes. A store that was readable by others before is private once
    // replaced. A file system that keeps no modes (FAT) refuses the change; the file is then
    // written with the mode it has, which loses nothing.
    SetMode(fd);
    for (auto piece : pieces) {
        if (int error = WriteAll(fd, piece))
            return fail("write failed", error);
    }
    if (int error = SyncFile(fd))
        return fail("flush to disk failed", error);
    const int closed = CloseFile(fd);
    fd = -1;
    if (closed != 0)
        return fail("close failed", closed);
    if (int error = ReplaceFile(temporary, target))
        return fail("rename failed", error);
    // The folder entry of the rename reaches the disk only when the folder itself is synced.
    if (lock.Descriptor() >= 0)
        ::fsync(lock.Descriptor());
    return Result::Done();
}

bool AtomicFileWriter::IsTemporaryName(std::string_view name, std::string_view targetName) {
    const std::size_t prefix = 1 + targetName.size() + 1;
    if (name.size() != prefix + kUniqueSuffix.size() || name[0] != '.' ||
        name.substr(1, targetName.size()) != targetName || name[prefix - 1] != '.') {
        return false;
    }
    for (char c : name.substr(prefix)) {
        if (!IsLetterOrDigit(c))
            return false;
    }
    return true;
}

std::size_t AtomicFileWriter::RemoveStaleTemporaries(const std::filesystem::path& target) {
    const std::filesystem::path folder = FolderOf(target);
    FolderLock lock(folder, FolderLock::Mode::ExclusiveIfFree);
    if (!lock.Held())
        return 0;
    const std::string targetName = target.filename().string();
    std::size_t removed = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (!IsTemporaryName(it->path().filename().string(), targetName))
            continue;
        std::error_code ignored;
        if (it->symlink_status(ignored).type() == std::filesystem::file_type::regular &&
            std::filesystem::remove(it->path(), ignored)) {
            ++removed;
        }
    }
    return removed;
}

int AtomicFileWriter::SetMode(int fd) {
    return ::fchmod(fd, 0600) == 0 ? 0 : errno;
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

int AtomicFileWriter::CloseFile(int fd) {
    // Linux releases the descriptor even when close reports an error: never close it twice.
    return ::close(fd) == 0 ? 0 : errno;
}

int AtomicFileWriter::ReplaceFile(const std::filesystem::path& from,
                                  const std::filesystem::path& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace ms1
