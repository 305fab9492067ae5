#include "files.h"

#include "messages.h"
#include "system_errors.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <random>

namespace corvane::cli {
namespace {

using intake::frenchErrnoText;

constexpr std::string_view TempPrefix = ".corvane-convert.";
constexpr std::string_view SameAsInput = "la sortie est le fichier d'entrée lui-même";
constexpr std::string_view NotRegular = "ce n'est pas un fichier ordinaire";
constexpr std::string_view Exists = "le fichier existe déjà (--force pour le remplacer)";

std::string cannotWrite(std::string_view why)
{
    return "écriture impossible : " + std::string(why);
}

int writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Holds the stop signals for as long as it lives; on leaving, a signal that
// came meanwhile is delivered.
class HeldSignals {
public:
    explicit HeldSignals(const sigset_t& signals) : signals_(signals)
    {
        ::pthread_sigmask(SIG_BLOCK, &signals_, &before_);
    }
    ~HeldSignals() { ::pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

    [[nodiscard]] bool stopRequested() const
    {
        sigset_t pending;
        if (::sigpending(&pending) != 0)
            return false;
        for (const int sig : {SIGHUP, SIGINT, SIGQUIT, SIGTERM})
            if (::sigismember(&signals_, sig) == 1 && ::sigismember(&pending, sig) == 1)
                return true;
        return false;
    }

private:
    const sigset_t& signals_;
    sigset_t before_;
};

// Writes to a file a buffer at a time. A write that fails, or a stop signal
// that arrives meanwhile, ends the writing: the caller asks error() why.
class FdSink final : public apply::ByteSink {
public:
    FdSink(int fd, const HeldSignals& held) : fd_(fd), held_(held) { buffer_.reserve(Capacity); }

    bool write(std::string_view bytes) override
    {
        if (error_ == 0 && buffer_.size() + bytes.size() > Capacity)
            flush();
        if (error_ == 0 && bytes.size() >= Capacity)
            error_ = writeAll(fd_, bytes);
        else if (error_ == 0)
            buffer_.append(bytes);
        return error_ == 0;
    }

    // Writes what is left; errno's value for a failure, else 0.
    int finish()
    {
        flush();
        return error_;
    }
    [[nodiscard]] int error() const { return error_; }

private:
    static constexpr std::size_t Capacity = 1 << 16;

    void flush()
    {
        if (error_ == 0)
            error_ = writeAll(fd_, buffer_);
        buffer_.clear();
        if (error_ == 0 && held_.stopRequested())
            error_ = EINTR; // the target stays as it was; the signal ends the program on leaving
    }

    int fd_;
    const HeldSignals& held_;
    std::string buffer_;
    int error_ = 0;
};

// Where a write to `path` goes, once looked at: through a symbolic link, to
// the file it leads to; with the mode of the file replaced, if any.
struct Destination {
    std::string path;
    std::optional<mode_t> keptMode;
};

// Refuses the input itself, anything but a regular file, and, without force,
// an existing file.
Problem checkDestination(const std::string& path, const FileId& input, bool force, Destination& destination)
{
    destination.path = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT ? std::nullopt : Problem(cannotWrite(frenchErrnoText(errno)));
    struct stat linked {};
    if (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &linked) == 0) {
        // Written through, so that the link still leads to the palette.
        const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
        if (!resolved)
            return cannotWrite(frenchErrnoText(errno));
        destination.path = resolved.get();
        st = linked;
    }
    if (input.sameAs(st))
        return std::string(SameAsInput);
    if (S_ISDIR(st.st_mode))
        return cannotWrite(frenchErrnoText(EISDIR));
    if (!S_ISREG(st.st_mode))
        return cannotWrite(NotRegular); // a device or a dangling link: never replaced
    if (!force)
        return std::string(Exists);
    destination.keptMode = st.st_mode & 07777;
    return std::nullopt;
}

} // namespace

std::size_t FdSource::read(char* buf, std::size_t n)
{
    if (error_ != 0)
        return 0;
    for (;;) {
        const ssize_t got = ::read(fd_, buf, n);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR) {
            error_ = errno;
            return 0;
        }
    }
}

std::optional<std::uint64_t> FdSource::remaining() const
{
    struct stat st {};
    if (!seeks_ || error_ != 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    const off_t at = ::lseek(fd_, 0, SEEK_CUR);
    if (at < 0)
        return std::nullopt;
    return st.st_size > at ? static_cast<std::uint64_t>(st.st_size - at) : 0;
}

std::uint64_t FdSource::skipAhead(std::uint64_t n)
{
    if (!seeks_ || error_ != 0 || n > std::uint64_t(std::numeric_limits<off_t>::max()) ||
        ::lseek(fd_, static_cast<off_t>(n), SEEK_CUR) < 0)
        return 0;
    return n;
}

OpenedInput::~OpenedInput()
{
    if (owned_)
        ::close(fd_);
}

Problem OpenedInput::open(const std::string& name)
{
    const bool standardInput = name == "-";
    // Non-blocking, so that a FIFO given by name is refused below instead of
    // waiting for a writer.
    fd_ = standardInput ? STDIN_FILENO : ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0)
        return cannotRead(frenchErrnoText(errno));
    owned_ = !standardInput;
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return cannotRead(frenchErrnoText(errno));
    if (!standardInput && !S_ISREG(st.st_mode))
        return cannotRead(S_ISDIR(st.st_mode) ? frenchErrnoText(EISDIR) : std::string(NotRegular));
    if (S_ISREG(st.st_mode))
        id_ = FileId{st.st_dev, st.st_ino, true};
    return std::nullopt;
}

Problem readInput(intake::InputReader& reader, const std::string& name, const formats::Format* from,
                  intake::Input& input, FileId& id)
{
    OpenedInput file;
    if (Problem problem = file.open(name))
        return problem;
    id = file.id();
    FdSource source(file.fd(), file.named());
    return reader.read(source, from, input);
}

Problem writeStandardOutput(std::string_view content, const FileId& input)
{
    struct stat st {};
    if (::fstat(STDOUT_FILENO, &st) == 0 && input.sameAs(st))
        return std::string(SameAsInput);
    if (const int error = writeAll(STDOUT_FILENO, content))
        return cannotWrite(frenchErrnoText(error));
    return std::nullopt;
}

OutputWriter::OutputWriter(bool force) : force_(force)
{
    ::sigemptyset(&stopSignals_);
    // One ignored from the start (nohup, a background job) stops nothing: held,
    // it would still be pending and be taken for a stop.
    for (const int sig : {SIGHUP, SIGINT, SIGQUIT, SIGTERM}) {
        struct sigaction current {};
        if (::sigaction(sig, nullptr, &current) != 0 || current.sa_handler != SIG_IGN)
            ::sigaddset(&stopSignals_, sig);
    }
    std::random_device random;
    nameState_ = (std::uint64_t(random()) << 32) ^ random() ^ std::uint64_t(::getpid());
}

OutputWriter::~OutputWriter()
{
    for (const Folder& folder : folders_)
        ::close(folder.fd);
}

std::string OutputWriter::tempName(const std::string& folder)
{
    constexpr std::string_view Digits = "0123456789abcdefghijklmnopqrstuvwxyz";
    nameState_ = nameState_ * 6364136223846793005U + 1442695040888963407U;
    std::string name = folder;
    name.append(TempPrefix);
    for (std::uint64_t bits = nameState_ >> 16, i = 0; i < 8; ++i, bits /= Digits.size())
        name.push_back(Digits[bits % Digits.size()]);
    return name;
}

int OutputWriter::createTemp(const std::string& folder, std::string& temp)
{
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = tempName(folder);
        // 0666 less the umask, as for any new file.
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    return fd;
}

Problem OutputWriter::write(const std::string& path, std::string_view content, const FileId& input)
{
    Problem refused;
    return stream(
        path, input,
        [content](apply::ByteSink& sink) {
            sink.write(content);
            return Problem();
        },
        refused);
}

Problem OutputWriter::stream(const std::string& path, const FileId& input, const Producer& produce, Problem& refused)
{
    Destination destination;
    if (Problem problem = checkDestination(path, input, force_, destination))
        return problem;

    const std::size_t slash = destination.path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : destination.path.substr(0, slash + 1);
    const HeldSignals held(stopSignals_);
    std::string temp;
    const int fd = createTemp(folder, temp);
    if (fd < 0)
        return cannotWrite(errno == ENOENT ? std::string("dossier introuvable") : frenchErrnoText(errno));

    FdSink sink(fd, held);
    refused = produce(sink);
    int error = sink.error() != 0 || !refused ? sink.finish() : 0;
    if (error != 0)
        refused.reset(); // the output's own failure, whatever the producer made of it
    if (error == 0 && destination.keptMode)
        ::fchmod(fd, *destination.keptMode); // a file system without modes keeps its own
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && held.stopRequested())
        error = EINTR; // the target stays as it was; the signal ends the program on leaving
    if (error == 0 && !refused)
        error = commit(temp, destination.path);
    if (error != 0 || refused) {
        ::unlink(temp.c_str());
        if (error == EEXIST)
            return std::string(Exists);
        return error != 0 ? Problem(cannotWrite(frenchErrnoText(error))) : std::nullopt;
    }
    noteFolder(folder);
    return std::nullopt;
}

int OutputWriter::commit(const std::string& temp, const std::string& target) const
{
    if (force_)
        return ::rename(temp.c_str(), target.c_str()) == 0 ? 0 : errno;
    // Never over a file that appeared since the target was looked at.
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(temp.c_str(), target.c_str()) != 0)
        return errno;
    ::unlink(temp.c_str());
    return 0;
}

void OutputWriter::noteFolder(const std::string& folder)
{
    if (!folders_.empty() && folder == lastFolder_)
        return;
    lastFolder_ = folder;
    const std::string name = folder.empty() ? std::string(".") : folder;
    const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        if (fd >= 0)
            ::close(fd);
        syncAll_ = true;
        return;
    }
    for (const Folder& known : folders_) {
        if (known.device == st.st_dev) {
            ::close(fd);
            return;
        }
    }
    folders_.push_back(Folder{name, st.st_dev, fd});
}

std::vector<OutputWriter::FlushFailure> OutputWriter::flush()
{
    std::vector<FlushFailure> failures;
    for (const Folder& folder : folders_) {
        if (::syncfs(folder.fd) != 0)
            failures.push_back({folder.name, "écriture sur le disque impossible : " + frenchErrnoText(errno)});
        ::close(folder.fd);
    }
    folders_.clear();
    if (syncAll_)
        ::sync();
    syncAll_ = false;
    return failures;
}

} // namespace corvane::cli
