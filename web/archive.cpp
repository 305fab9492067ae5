#include "archive.h"

#include <zip.h>

#include <algorithm>
#include <ctime>

namespace corvane::web {
namespace {

using Memory = Archive::Memory;

// The archive's one "file", the memory given as opaque.
voidpf ZCALLBACK openMemory(voidpf opaque, const char*, int)
{
    return opaque;
}

uLong ZCALLBACK readMemory(voidpf, voidpf stream, void* buf, uLong size)
{
    auto& memory = *static_cast<Memory*>(stream);
    const std::size_t n = std::min<std::size_t>(size, memory.bytes.size() - std::min(memory.at, memory.bytes.size()));
    std::copy_n(memory.bytes.data() + memory.at, n, static_cast<char*>(buf));
    memory.at += n;
    return static_cast<uLong>(n);
}

// minizip goes back to write each entry's sizes in its header.
uLong ZCALLBACK writeMemory(voidpf, voidpf stream, const void* buf, uLong size)
{
    auto& memory = *static_cast<Memory*>(stream);
    if (memory.bytes.size() < memory.at + size)
        memory.bytes.resize(memory.at + size);
    std::copy_n(static_cast<const char*>(buf), size, memory.bytes.data() + memory.at);
    memory.at += size;
    return size;
}

long ZCALLBACK tellMemory(voidpf, voidpf stream)
{
    return static_cast<long>(static_cast<Memory*>(stream)->at);
}

long ZCALLBACK seekMemory(voidpf, voidpf stream, uLong offset, int origin)
{
    auto& memory = *static_cast<Memory*>(stream);
    const std::size_t base = origin == ZLIB_FILEFUNC_SEEK_SET   ? 0
                             : origin == ZLIB_FILEFUNC_SEEK_CUR ? memory.at
                                                                : memory.bytes.size();
    memory.at = base + offset;
    return 0;
}

int ZCALLBACK closeMemory(voidpf, voidpf)
{
    return 0;
}

int ZCALLBACK memoryError(voidpf, voidpf)
{
    return 0;
}

// Bit 11 of the general-purpose flags: the entry's name is UTF-8.
constexpr uLong Utf8Name = 1 << 11;
// zlib's own default, which minizip's plain calls use.
constexpr int MemLevel = 8;

} // namespace

Archive::Archive()
{
    zlib_filefunc_def functions{openMemory, readMemory,  writeMemory, tellMemory,
                                seekMemory, closeMemory, memoryError, &memory_};
    zip_ = zipOpen2("corvane.zip", APPEND_STATUS_CREATE, nullptr, &functions);
    failed_ = zip_ == nullptr;
}

Archive::~Archive()
{
    if (zip_ != nullptr)
        zipClose(zip_, nullptr);
}

bool Archive::fits(std::string_view name, std::string_view content)
{
    return name.size() <= 0xFFFF && content.size() < 0xFFFFFFFF;
}

bool Archive::add(std::string_view name, std::string_view content)
{
    if (failed_ || !fits(name, content))
        return false;
    const std::time_t now = std::time(nullptr);
    const std::tm local = *std::localtime(&now);
    zip_fileinfo info{};
    info.tmz_date = {local.tm_sec, local.tm_min, local.tm_hour, local.tm_mday, local.tm_mon, local.tm_year};
    const std::string entry(name);
    failed_ = zipOpenNewFileInZip4(zip_, entry.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                   Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, MemLevel, Z_DEFAULT_STRATEGY, nullptr, 0, 0,
                                   Utf8Name) != ZIP_OK ||
              zipWriteInFileInZip(zip_, content.data(), static_cast<unsigned>(content.size())) != ZIP_OK;
    failed_ = zipCloseFileInZip(zip_) != ZIP_OK || failed_;
    return !failed_;
}

std::string Archive::finish()
{
    const bool closed = zipClose(zip_, nullptr) == ZIP_OK;
    zip_ = nullptr;
    return closed && !failed_ ? std::move(memory_.bytes) : std::string();
}

} // namespace corvane::web
