#include "station/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace talvix {

namespace {

constexpr std::size_t kCopyChunk = 256 * 1024;

// Opened without blocking so that a FIFO cannot hang the caller, then checked to be a regular file.
UniqueFd openRegular(const std::string& path, int flags, mode_t mode)
{
    UniqueFd fd(::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode));
    if (!fd)
        return fd;
    struct stat st { };
    if (::fstat(fd.get(), &st) != 0)
        return UniqueFd();
    if (!S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return UniqueFd();
    }
    return fd;
}

bool copyByReadWrite(int in, off_t inOffset, int out, off_t outOffset, std::uint64_t length)
{
    const std::unique_ptr<char[]> buffer(new char[kCopyChunk]);
    while (length > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(length, kCopyChunk));
        const ssize_t got = ::pread(in, buffer.get(), want, inOffset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got == 0)
                errno = EIO; // the source shrank under us
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::pwrite(out, buffer.get() + done, static_cast<std::size_t>(got - done), outOffset);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            done += put;
            outOffset += put;
        }
        inOffset += got;
        length -= static_cast<std::uint64_t>(got);
    }
    return true;
}

} // namespace

UniqueFd::UniqueFd(UniqueFd&& other) noexcept
    : fd_(std::exchange(other.fd_, -1))
{ }

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept
{
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

UniqueFd::~UniqueFd()
{
    close();
}

bool UniqueFd::close()
{
    if (fd_ < 0)
        return true;
    const int fd = std::exchange(fd_, -1);
    return ::close(fd) == 0;
}

UniqueFd openRegularForReading(const std::string& path)
{
    return openRegular(path, O_RDONLY, 0);
}

UniqueFd openRegularForWriting(const std::string& path, int flags, mode_t mode)
{
    return openRegular(path, O_WRONLY | flags, mode);
}

std::int64_t fileSize(int fd)
{
    struct stat st { };
    return ::fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

bool truncateTo(int fd, std::int64_t size)
{
    return ::ftruncate(fd, static_cast<off_t>(size)) == 0;
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

bool copyRange(int in, int out, std::int64_t outOffset, std::uint64_t length)
{
    off_t inPos = 0;
    off_t outPos = static_cast<off_t>(outOffset);
#ifdef __linux__
    // In-kernel copy as cp does it; file systems or kernels that cannot do it for this pair of
    // files make us fall back to reading and writing from where it stopped.
    while (length > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(length, 1u << 30));
        const ssize_t copied = ::copy_file_range(in, &inPos, out, &outPos, want, 0);
        if (copied > 0) {
            length -= static_cast<std::uint64_t>(copied);
            continue;
        }
        if (copied == 0) {
            errno = EIO; // the source shrank under us
            return false;
        }
        if (errno == EINTR)
            continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)
            break;
        return false;
    }
#endif
    return copyByReadWrite(in, inPos, out, outPos, length);
}

bool AppendTarget::open(const std::string& path)
{
    rollback();
    path_ = path;
    created_ = false;
    fd_ = openRegularForWriting(path, 0);
    if (!fd_ && errno == ENOENT) {
        fd_ = openRegularForWriting(path, O_CREAT | O_EXCL);
        created_ = static_cast<bool>(fd_);
    }
    if (!fd_)
        return false;
    pending_ = true;
    start_ = fileSize(fd_.get());
    if (start_ < 0 || ::lseek(fd_.get(), static_cast<off_t>(start_), SEEK_SET) < 0) {
        const int error = errno;
        rollback();
        errno = error;
        return false;
    }
    return true;
}

bool AppendTarget::commit()
{
    if (!pending_)
        return false;
    if (fd_.close()) {
        pending_ = false;
        return true;
    }
    const int error = errno;
    rollback();
    errno = error;
    return false;
}

void AppendTarget::rollback()
{
    if (!pending_)
        return;
    pending_ = false;
    if (created_) {
        ::unlink(path_.c_str());
    } else if (start_ >= 0) {
        // After a failed close the descriptor is gone; the file is then cut by its name.
        [[maybe_unused]] const bool cut
            = (fd_ && truncateTo(fd_.get(), start_)) || ::truncate(path_.c_str(), static_cast<off_t>(start_)) == 0;
    }
    fd_.close();
}

BufferedWriter::BufferedWriter(int fd)
    : fd_(fd)
    , buffer_(new char[kCapacity])
{ }

void BufferedWriter::appendLarge(std::string_view bytes)
{
    writeOut(buffer_.get(), used_);
    used_ = 0;
    if (bytes.size() >= kCapacity) {
        writeOut(bytes.data(), bytes.size());
    } else {
        bytes.copy(buffer_.get(), bytes.size());
        used_ = bytes.size();
    }
}

void BufferedWriter::writeOut(const char* data, std::size_t size)
{
    if (failed_ || size == 0)
        return;
    if (!writeAll(fd_, data, size)) {
        failed_ = true;
        error_ = errno;
    }
}

bool BufferedWriter::flush()
{
    writeOut(buffer_.get(), used_);
    used_ = 0;
    if (failed_)
        errno = error_;
    return !failed_;
}

} // namespace talvix
