#include "byte_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace corvane {

std::size_t MemorySource::read(char* buf, std::size_t n)
{
    const std::size_t count = std::min(n, data_.size());
    if (count > 0)
        std::memcpy(buf, data_.data(), count);
    data_.remove_prefix(count);
    return count;
}

std::uint64_t MemorySource::skipAhead(std::uint64_t n)
{
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(n, data_.size()));
    data_.remove_prefix(count);
    return count;
}

FileSource::FileSource(const std::filesystem::path& path)
{
#ifdef _WIN32
    file_ = _wfopen(path.c_str(), L"rb");
#else
    file_ = std::fopen(path.c_str(), "rb");
#endif
    // The readers keep buffers of their own; stdio's would only copy twice.
    if (file_ != nullptr)
        std::setvbuf(file_, nullptr, _IONBF, 0);
}

FileSource::~FileSource()
{
    if (file_ != nullptr)
        std::fclose(file_);
}

std::size_t FileSource::read(char* buf, std::size_t n)
{
    if (file_ == nullptr)
        return 0;
    return std::fread(buf, 1, n, file_);
}

int FileSource::failure() const
{
    // stdio keeps no errno of its own.
    return file_ != nullptr && std::ferror(file_) != 0 ? EIO : 0;
}

std::size_t PrefixedSource::read(char* buf, std::size_t n)
{
    const std::size_t count = prefix_.read(buf, n);
    return count > 0 ? count : rest_.read(buf, n);
}

std::optional<std::uint64_t> PrefixedSource::remaining() const
{
    const std::optional<std::uint64_t> rest = rest_.remaining();
    if (!rest)
        return std::nullopt;
    return *prefix_.remaining() + *rest;
}

std::uint64_t PrefixedSource::skipAhead(std::uint64_t n)
{
    const std::uint64_t inPrefix = prefix_.skipAhead(n);
    return inPrefix + (inPrefix < n ? rest_.skipAhead(n - inPrefix) : 0);
}

std::size_t readFully(ByteSource& source, char* buf, std::size_t n)
{
    std::size_t total = 0;
    while (total < n) {
        const std::size_t got = source.read(buf + total, n - total);
        if (got == 0)
            break;
        total += got;
    }
    return total;
}

} // namespace corvane
