#include "zip_memory.h"

#include <algorithm>

namespace corvane::formats {
namespace {

// The archive's one "file", the memory given as opaque.
voidpf ZCALLBACK openMemory(voidpf opaque, const char*, int)
{
    return opaque;
}

uLong ZCALLBACK readMemory(voidpf, voidpf stream, void* buf, uLong size)
{
    auto& memory = *static_cast<ZipMemory*>(stream);
    const std::size_t n = std::min<std::size_t>(size, memory.bytes.size() - std::min(memory.at, memory.bytes.size()));
    std::copy_n(memory.bytes.data() + memory.at, n, static_cast<char*>(buf));
    memory.at += n;
    return static_cast<uLong>(n);
}

// minizip goes back to write each entry's sizes in its header.
uLong ZCALLBACK writeMemory(voidpf, voidpf stream, const void* buf, uLong size)
{
    auto& memory = *static_cast<ZipMemory*>(stream);
    if (memory.bytes.size() < memory.at + size)
        memory.bytes.resize(memory.at + size);
    std::copy_n(static_cast<const char*>(buf), size, memory.bytes.data() + memory.at);
    memory.at += size;
    return size;
}

long ZCALLBACK tellMemory(voidpf, voidpf stream)
{
    return static_cast<long>(static_cast<ZipMemory*>(stream)->at);
}

// Nowhere past the end: a damaged archive's offsets fail here.
long ZCALLBACK seekMemory(voidpf, voidpf stream, uLong offset, int origin)
{
    auto& memory = *static_cast<ZipMemory*>(stream);
    const std::size_t base = origin == ZLIB_FILEFUNC_SEEK_SET   ? 0
                             : origin == ZLIB_FILEFUNC_SEEK_CUR ? memory.at
                                                                : memory.bytes.size();
    if (offset > memory.bytes.size() - base)
        return -1;
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

} // namespace

zlib_filefunc_def zipMemoryFunctions(ZipMemory& memory)
{
    return {openMemory, readMemory, writeMemory, tellMemory, seekMemory, closeMemory, memoryError, &memory};
}

} // namespace corvane::formats
