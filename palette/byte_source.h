#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>

namespace corvane {

// Where the readers take their bytes from: memory or a file.
// read() returns how many bytes it placed in buf; 0 means the end or an
// error. The readers treat both alike; failed() tells them apart afterwards,
// and failure() says why.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t read(char* buf, std::size_t n) = 0;
    // True once a read has failed, as opposed to reaching the end.
    [[nodiscard]] virtual bool failed() const { return failure() != 0; }
    // Why a read failed, as an errno value; 0 when none has.
    [[nodiscard]] virtual int failure() const { return 0; }
    // How many bytes are left, from a source that can seek (a file, memory),
    // so that a reader wanting only the end need not read up to it. Nothing
    // from one that can only be read through (a pipe, standard input).
    [[nodiscard]] virtual std::optional<std::uint64_t> remaining() const { return std::nullopt; }
    // Passes up to n bytes unread; how many it passed, 0 when it cannot seek.
    virtual std::uint64_t skipAhead(std::uint64_t /*n*/) { return 0; }
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string_view data) : data_(data) {}
    std::size_t read(char* buf, std::size_t n) override;
    [[nodiscard]] std::optional<std::uint64_t> remaining() const override { return data_.size(); }
    std::uint64_t skipAhead(std::uint64_t n) override;

private:
    std::string_view data_;
};

// A file opened for reading in binary mode, closed when the source goes.
class FileSource final : public ByteSource {
public:
    explicit FileSource(const std::filesystem::path& path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    [[nodiscard]] bool isOpen() const { return file_ != nullptr; }
    std::size_t read(char* buf, std::size_t n) override;
    [[nodiscard]] int failure() const override;

private:
    std::FILE* file_ = nullptr;
};

// Gives back bytes already taken from a source, then the rest of it.
class PrefixedSource final : public ByteSource {
public:
    PrefixedSource(std::string_view prefix, ByteSource& rest) : prefix_(prefix), rest_(rest) {}
    std::size_t read(char* buf, std::size_t n) override;
    [[nodiscard]] bool failed() const override { return rest_.failed(); }
    [[nodiscard]] int failure() const override { return rest_.failure(); }
    [[nodiscard]] std::optional<std::uint64_t> remaining() const override;
    std::uint64_t skipAhead(std::uint64_t n) override;

private:
    MemorySource prefix_;
    ByteSource& rest_;
};

// Reads until n bytes or the end; returns how many were read.
std::size_t readFully(ByteSource& source, char* buf, std::size_t n);

} // namespace corvane
