#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace flash410::image {

// An open file addressed by byte. Every failure throws PreparationError naming the file and the
// system's reason; the destructor closes a file that was not closed explicitly.
class ByteFile {
  public:
    // Creates the file, or empties an existing one, for reading and writing.
    static ByteFile Create(const std::filesystem::path& name);
    static ByteFile OpenForReading(const std::filesystem::path& name);

    ByteFile(ByteFile&& other) noexcept;
    ByteFile& operator=(ByteFile&& other) noexcept;
    ByteFile(const ByteFile&) = delete;
    ByteFile& operator=(const ByteFile&) = delete;
    ~ByteFile();

    const std::filesystem::path& Name() const { return name_; }
    bool IsOpen() const { return descriptor_ >= 0; }

    // Reads the next bytes from the current position; returns 0 at the end of the file.
    std::size_t Read(std::span<std::uint8_t> buffer);
    // Reads at offset until the buffer is full or the file ends; returns the count read.
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer);
    void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    // Writes at the current position and moves it on.
    void Append(std::span<const std::uint8_t> bytes);
    std::uint64_t Size() const;
    // Closes now, so that a failure to close is reported rather than lost.
    void Close();

  private:
    ByteFile(int descriptor, std::filesystem::path name);
    [[noreturn]] void Fail(const char* action, int error) const;
    // Writes every byte through writeSome(data, length, bytes done so far), which may take fewer.
    template <typename WriteSome>
    void WriteAll(std::span<const std::uint8_t> bytes, WriteSome writeSome) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const auto count = writeSome(bytes.data() + done, bytes.size() - done, done);
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count <= 0) {
                Fail("write", count < 0 ? errno : EIO);
            }
            done += static_cast<std::size_t>(count);
        }
    }

    int descriptor_ = -1;
    std::filesystem::path name_;
};

}  // namespace flash410::image
