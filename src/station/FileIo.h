#pragma once
// POSIX file helpers under the shared file functions: an owning descriptor, opening that refuses
// anything but regular files (a FIFO or device named by a setting or a terminal must neither block
// the station nor be written to), a buffered writer that remembers its first failure, and a copy
// of a byte range that lets the kernel copy when it can, and an append that can be taken back.
// Memory use is bounded by one buffer each.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace talvix {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : fd_(fd)
    { }
    UniqueFd(UniqueFd&& other) noexcept;
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd();

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Closes now; false when the close reports an error (some file systems report late write
    // errors here). errno tells why.
    bool close();

private:
    int fd_ = -1;
};

// A regular file opened for reading; invalid (errno set) when it cannot be opened or is not a
// regular file.
UniqueFd openRegularForReading(const std::string& path);
// A regular file opened for writing with the extra open flags (O_CREAT, O_EXCL, O_TRUNC ...) and
// the mode for a new file; invalid (errno set) otherwise.
UniqueFd openRegularForWriting(const std::string& path, int flags, mode_t mode = 0644);

// Size of an open file; -1 on error.
std::int64_t fileSize(int fd);

// Cuts an open file to `size` bytes; false (errno set) on failure.
bool truncateTo(int fd, std::int64_t size);

// Writes all bytes, retrying short writes; false (errno set) on failure.
bool writeAll(int fd, const char* data, std::size_t size);

// Copies `length` bytes from offset 0 of `in` to offset `outOffset` of `out`. False (errno set)
// on a read or write error or when `in` holds fewer bytes.
bool copyRange(int in, int out, std::int64_t outOffset, std::uint64_t length);

// Appending to a file so that a failure leaves it as it was. open() opens the file for writing
// at its end, creating it when missing; until commit() has closed it successfully, rollback() (or
// the destructor) cuts it back to its former size, or removes it when it was created here.
class AppendTarget {
public:
    AppendTarget() = default;
    AppendTarget(const AppendTarget&) = delete;
    AppendTarget& operator=(const AppendTarget&) = delete;
    ~AppendTarget() { rollback(); }

    // False (errno set) when the file cannot be opened or created, or is not a regular file.
    bool open(const std::string& path);
    int fd() const { return fd_.get(); }
    // The size before appending: where the appended bytes begin.
    std::int64_t start() const { return start_; }
    bool existed() const { return !created_; }
    // Closes the file; false, rolled back, when the close reports an error.
    bool commit();
    void rollback();

private:
    std::string path_;
    UniqueFd fd_;
    std::int64_t start_ = 0;
    bool created_ = false;
    bool pending_ = false;
};

// Collects small writes into one large buffer. After the first failure everything further is
// dropped and flush() reports false, so callers check once at the end.
class BufferedWriter {
public:
    static constexpr std::size_t kCapacity = 256 * 1024;

    explicit BufferedWriter(int fd);

    void append(std::string_view bytes)
    {
        if (bytes.size() <= kCapacity - used_) {
            bytes.copy(buffer_.get() + used_, bytes.size());
            used_ += bytes.size();
        } else {
            appendLarge(bytes);
        }
    }
    // Writes what is buffered; false (errno set) when any write failed.
    bool flush();

private:
    void appendLarge(std::string_view bytes);
    void writeOut(const char* data, std::size_t size);

    int fd_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
    int error_ = 0;
};

} // namespace talvix
