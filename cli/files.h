#pragma once

#include "apply.h"
#include "byte_source.h"
#include "input.h"
#include "messages.h"
#include "system_errors.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::cli {

// What a failed step tells the user, after the file's name.
using formats::Problem;

// Reads through read(2), and keeps why a read failed. A named file seeks;
// standard input is read through, whatever it is.
class FdSource final : public ByteSource {
public:
    FdSource(int fd, bool seeks) : fd_(fd), seeks_(seeks) {}
    std::size_t read(char* buf, std::size_t n) override;
    [[nodiscard]] int failure() const override { return error_; }
    [[nodiscard]] std::optional<std::uint64_t> remaining() const override;
    std::uint64_t skipAhead(std::uint64_t n) override;

private:
    int fd_;
    bool seeks_;
    int error_ = 0;
};

// The same file under any name, hard link or symbolic link.
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool known = false;
    [[nodiscard]] bool sameAs(const struct stat& st) const
    {
        return known && st.st_dev == device && st.st_ino == inode;
    }
};

// An input opened for reading: a regular file, or standard input for "-".
// Closes a file it opened when it goes.
class OpenedInput {
public:
    OpenedInput() = default;
    ~OpenedInput();
    OpenedInput(const OpenedInput&) = delete;
    OpenedInput& operator=(const OpenedInput&) = delete;

    // Fails if the file cannot be opened or is not a regular file.
    Problem open(const std::string& name);
    [[nodiscard]] int fd() const { return fd_; }
    [[nodiscard]] bool named() const { return owned_; }
    [[nodiscard]] const FileId& id() const { return id_; }

private:
    int fd_ = -1;
    bool owned_ = false;
    FileId id_;
};

using formats::printableName;
using intake::cannotRead;

// Opens the named input, or standard input for "-", and reads it: its
// identity into `id`, the rest as intake::InputReader reads it.
Problem readInput(intake::InputReader& reader, const std::string& name, const formats::Format* from,
                  intake::Input& input, FileId& id);

// The whole content on standard output, unless that is the input itself.
Problem writeStandardOutput(std::string_view content, const FileId& input);

// Writes output files through a temporary file in the target's folder,
// renamed over the target once complete, and flushes them to disk once at
// the end. SIGHUP, SIGINT, SIGQUIT and SIGTERM, those not ignored at start,
// are held while a temporary file exists: one that arrives before the rename
// removes it and leaves the target as it was.
class OutputWriter {
public:
    explicit OutputWriter(bool force);
    ~OutputWriter();
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;

    // Refuses the input itself, anything but a regular file, and, without
    // force, an existing file. A symbolic link is written through.
    Problem write(const std::string& path, std::string_view content, const FileId& input);

    // What gives an output's content a piece at a time, so that a big file
    // is never held whole; or why it cannot, which leaves nothing written.
    using Producer = std::function<Problem(apply::ByteSink&)>;
    // As write(), the content coming from `produce`. Its refusal is kept in
    // `refused`, apart from the output's own problem, which is returned.
    Problem stream(const std::string& path, const FileId& input, const Producer& produce, Problem& refused);

    struct FlushFailure {
        std::string folder, why;
    };
    // One syncfs per file system written to.
    std::vector<FlushFailure> flush();

private:
    // A new temporary file in `folder`, named in `temp`; -1 with errno when none could be made.
    int createTemp(const std::string& folder, std::string& temp);
    int commit(const std::string& temp, const std::string& target) const;
    void noteFolder(const std::string& folder);
    std::string tempName(const std::string& folder);

    struct Folder {
        std::string name;
        dev_t device;
        int fd;
    };
    bool force_;
    sigset_t stopSignals_;
    std::vector<Folder> folders_; // one per file system
    bool syncAll_ = false;        // a folder that could not be opened: sync() covers it
    std::string lastFolder_;
    std::uint64_t nameState_;
};

} // namespace corvane::cli
