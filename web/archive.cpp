#include "archive.h"

#include <zip.h>

#include <ctime>

namespace corvane::web {
namespace {

// Bit 11 of the general-purpose flags: the entry's name is UTF-8.
constexpr uLong Utf8Name = 1 << 11;
// zlib's own default, which minizip's plain calls use.
constexpr int MemLevel = 8;

} // namespace

Archive::Archive()
{
    zlib_filefunc_def functions = formats::zipMemoryFunctions(memory_);
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
