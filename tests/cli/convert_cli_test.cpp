// The real corvane-convert, run as a separate process: its outputs against the
// expected outputs of the samples, its refusals and messages, and writes that fail.
#include "samples.h"
#include "support.h"

#include "corvane_version.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>
#include <sstream>

#if !defined(CORVANE_CONVERT) || !defined(CORVANE_WRITER_HOOKS) || !defined(CORVANE_SOURCE_DIR)
#error "CORVANE_CONVERT, CORVANE_WRITER_HOOKS and CORVANE_SOURCE_DIR must be defined"
#endif

extern char** environ;

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr uid_t Nobody = 65534;
const std::string Precious = "JASC-PAL\r\nprécieux\r\n";

std::set<std::string> entriesOf(const fs::path& folder)
{
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

struct RunOptions {
    std::string input;         // standard input
    bool stdoutToFull = false; // standard output is /dev/full
    bool asNobody = false;     // run as uid 65534 when root
    std::string program = CORVANE_CONVERT;
    rlim_t fileSizeLimit = RLIM_INFINITY;
    mode_t umask = 022;
    bool interruptIgnored = false;  // SIGINT ignored, as in a background job
    std::vector<std::string> hooks; // CORVANE_HOOK_* settings of writer_hooks.c, preloaded

    RunOptions& feeding(std::string bytes) { return input = std::move(bytes), *this; }
    RunOptions& toFullDevice() { return stdoutToFull = true, *this; }
    // The build folder may lie where nobody cannot reach: a copy is run.
    RunOptions& nobody(const fs::path& copy) { return asNobody = true, program = copy.string(), *this; }
    RunOptions& limitFileSize(rlim_t bytes) { return fileSizeLimit = bytes, *this; }
    RunOptions& withUmask(mode_t mask) { return umask = mask, *this; }
    RunOptions& ignoringInterrupt() { return interruptIgnored = true, *this; }
    RunOptions& hooked(std::vector<std::string> settings) { return hooks = std::move(settings), *this; }
};

struct Result {
    int status = -1; // exit status, or -signal
    std::string out, err;
};

class Process {
public:
    Process(const std::vector<std::string>& args, const RunOptions& options)
    {
        files_.write("in", options.input);
        const int in = ::open((files_.path() / "in").c_str(), O_RDONLY);
        const int out = options.stdoutToFull ? ::open("/dev/full", O_WRONLY)
                                             : ::open((files_.path() / "out").c_str(), O_WRONLY | O_CREAT, 0600);
        const int err = ::open((files_.path() / "err").c_str(), O_WRONLY | O_CREAT, 0600);
        std::vector<char*> argv{const_cast<char*>(options.program.c_str())};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        const std::vector<std::string> environment = environmentFor(options);
        std::vector<char*> envp;
        for (const std::string& entry : environment)
            envp.push_back(const_cast<char*>(entry.c_str()));
        envp.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in, STDIN_FILENO);
            ::dup2(out, STDOUT_FILENO);
            ::dup2(err, STDERR_FILENO);
            ::umask(options.umask);
            const rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
            if (options.fileSizeLimit != RLIM_INFINITY && ::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                _exit(125);
            // As from a shell: an ignored signal would stay ignored across exec.
            for (const int sig : {SIGXFSZ, SIGHUP, SIGINT, SIGQUIT, SIGTERM})
                ::signal(sig, SIG_DFL);
            // SIGQUIT would leave a core file behind.
            const rlimit noCore{0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            if (options.interruptIgnored)
                ::signal(SIGINT, SIG_IGN);
            if (options.asNobody && ::geteuid() == 0 &&
                (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0))
                _exit(125);
            ::execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        for (const int fd : {in, out, err})
            ::close(fd);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    Result wait()
    {
        int status = 0;
        EXPECT_EQ(::waitpid(pid_, &status, 0), pid_);
        Result result;
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
        result.out = fileBytes(files_.path() / "out");
        result.err = fileBytes(files_.path() / "err");
        return result;
    }

private:
    // This one's, or with the writer's hooks preloaded in place of anything else.
    static std::vector<std::string> environmentFor(const RunOptions& options)
    {
        constexpr std::string_view AsanOptions = "ASAN_OPTIONS=";
        const bool hooked = !options.hooks.empty();
        // Under AddressSanitizer, a library preloaded before its runtime stops
        // the program at start unless told that this is meant.
        std::string asan = "verify_asan_link_order=0";
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string_view setting = *entry;
            if (hooked && setting.starts_with(AsanOptions))
                asan = std::string(setting.substr(AsanOptions.size())) + ":" + asan;
            else if (!hooked || !setting.starts_with("LD_PRELOAD="))
                environment.emplace_back(setting);
        }
        if (hooked) {
            environment.push_back(std::string(AsanOptions) + asan);
            environment.push_back("LD_PRELOAD=" CORVANE_WRITER_HOOKS);
            environment.insert(environment.end(), options.hooks.begin(), options.hooks.end());
        }
        return environment;
    }

    ScratchDir files_;
    pid_t pid_ = -1;
};

Result run(const std::vector<std::string>& args, const RunOptions& options = {})
{
    return Process(args, options).wait();
}

std::string message(const std::string& file, const std::string& why)
{
    return "corvane-convert: " + file + ": " + why + "\n";
}

std::string cannotWrite(const std::string& why)
{
    return "écriture impossible : " + why;
}

// Every sample of tests/data's formats' folders, as make_samples.py counts them.
std::vector<fs::path> sampleFiles()
{
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(SampleDir)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && entry.path().parent_path() != SampleDir && !name.starts_with('.') &&
            !name.ends_with(".attendu") && !provedByOtherReaders(entry.path().parent_path().filename().string()))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The formats read, or with `written` those written.
std::vector<std::string> formatNames(bool written = false)
{
    std::vector<std::string> names;
    std::istringstream lines(run({written ? "--list-output-formats" : "--list-formats"}).out);
    for (std::string name; std::getline(lines, name);)
        names.push_back(name);
    return names;
}

// The cells of a table's line, without their spaces and backquotes.
std::vector<std::string> cellsOf(const std::string& line, char separator)
{
    std::vector<std::string> cells;
    std::istringstream in(line);
    for (std::string cell; std::getline(in, cell, separator);) {
        const std::size_t first = cell.find_first_not_of(" `");
        cells.push_back(first == std::string::npos ? "" : cell.substr(first, cell.find_last_not_of(" `") - first + 1));
    }
    return cells;
}

// The formats' table of the help, the README or the man page, a row per
// format: "NAME EXTENSION MOST", MOST being "lecture seule" for a format only read.
std::vector<std::string> formatRows(const std::string& text, std::string_view from)
{
    std::vector<std::string> rows;
    std::istringstream lines(text);
    bool inTable = false;
    for (std::string line; std::getline(lines, line);) {
        if (from == "help") {
            inTable = inTable ? !line.empty() : line.starts_with("  FORMAT ");
            std::istringstream words(line);
            std::string name, word, most;
            words >> name;
            while (words >> word && !word.starts_with('.')) {
            }
            std::getline(words >> std::ws, most);
            if (inTable && word.starts_with('.'))
                rows.push_back(name + " " + word + " " + most);
        } else if (from == "README.md" && line.starts_with("| `")) {
            const std::vector<std::string> cells = cellsOf(line, '|');
            if (cells.size() >= 5)
                rows.push_back(cells[1] + " " + cells[cells.size() - 3] + " " + cells[cells.size() - 2]);
        } else if (from == "man") {
            inTable = inTable ? line != ".TE" : line == ".TS";
            const std::vector<std::string> cells = cellsOf(line, '\t');
            if (inTable && cells.size() == 5 && cells[0] != "FORMAT")
                rows.push_back(cells[0] + " " + cells[1] + " " + (cells[3] == "\\(em" ? "lecture seule" : cells[3]));
        }
    }
    return rows;
}

// The samples whose colour lines end with LF alone, which the window's rule
// does not end a line on: read as the window reads them, with a warning.
const std::set<std::string> LineFeedWarned{"jasc16-mixte.pal", "porytiles__primer.pal"};
const std::string LineFeedWarning = "attention : une ligne de couleur contient un LF seul, que la fenêtre ne prend pas "
                                    "pour une fin de ligne ; --from=jasc lit les fins de ligne telles qu'écrites";

// What corvane-convert writes for a sample without --to, or the reason it
// gives, all from EXPECTED.md and the expected outputs beside the samples,
// never from the program's code. A file the window opens is converted as the
// window converts it; a DIV-family file becomes JASC-PAL, any other a DIV palette.
struct Expected {
    std::optional<std::string> content;
    std::string why; // empty: any one line
    std::string kindLine;
};

Expected expectedFor(const fs::path& sample, const std::map<std::string, SampleRow>& rows)
{
    Expected expected;
    expected.content = expectedOutput(sample);
    const auto row = rows.find(sample.filename().string());
    if (row != rows.end() && row->second.kind != "unknown") {
        expected.kindLine = row->second.caption; // the samples' captions are plain ASCII
        // "Palette PSP " + the count line + " couleurs"
        const std::string count = expected.kindLine.substr(12, expected.kindLine.size() - 12 - 9);
        // --to=div takes 256 colours at most; after the warning, only --from=jasc is suggested.
        if (!expected.content)
            expected.why = "palette JASC-PAL de « " + count +
                           " » couleurs : seules celles de 256 ou 16 couleurs se convertissent" +
                           (std::stoi(count) <= 256 && !LineFeedWarned.contains(sample.filename().string())
                                ? " ; --to=div la convertit"
                                : "");
        return expected;
    }
    const std::string head = fileBytes(sample).substr(0, 8);
    // Every gzip sample is a DIV file as BennuGD compresses them.
    const bool divFamily =
        head.starts_with("\x1F\x8B") ||
        (head.size() == 8 && (head.starts_with("fpg") || head.starts_with("fnt") || head.starts_with("map")) &&
         head.substr(3, 4) == "\x1A\r\n\0"s);
    expected.content = expectedOutput(fs::path(sample) += divFamily ? ".jasc" : ".div");
    return expected;
}

// Refused: one line naming the input, and nothing written.
void expectRefused(const Result& result, const std::string& input, const fs::path& output)
{
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.err.starts_with("corvane-convert: " + input + ": ") && result.err.ends_with("\n") &&
                std::count(result.err.begin(), result.err.end(), '\n') == 1)
        << result.err;
    EXPECT_FALSE(fs::exists(output));
}

// With -d, a default output is a .pal file (JASC-PAL or DIV) named after its
// input, whose last extension it replaces unless that is already .pal.
std::string palNamed(const std::string& name)
{
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::size_t dot = name.rfind('.');
    return lower.ends_with(".pal") ? name : name.substr(0, dot == 0 ? name.size() : dot) + ".pal";
}

// A copy of a sample under another name, and what it converts to.
std::string copySample(const ScratchDir& dir, const std::string& name, const std::string& sample)
{
    return dir.write(name, fileBytes(SampleDir / sample)).string();
}

std::string outputOf(const std::string& sample)
{
    return expectedOutput(SampleDir / sample).value_or("");
}

TEST(ConvertCli, EverySampleGivesItsExpectedBytesInEachMode)
{
    const std::vector<fs::path> files = sampleFiles();
    const std::vector<std::string> formats = formatNames(true);
    ASSERT_FALSE(files.empty());
    ASSERT_FALSE(formats.empty());
    const std::map<std::string, SampleRow> rows = sampleRows();
    const ScratchDir dir;
    const fs::path output = dir.path() / "sortie", batch = dir.path() / "lot";
    fs::create_directories(batch);

    std::vector<std::string> batchArgs{"-d", batch.string()}, kindArgs{"--type"};
    std::string batchErrors, kindLines, kindErrors;
    std::map<std::string, std::string> batchOutputs;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const Expected expected = expectedFor(file, rows);
        const bool warned = LineFeedWarned.contains(file.filename().string());
        const std::string warning = warned ? message(file.string(), LineFeedWarning) : "";
        // The warning comes first, the status as without it.
        const auto warnedRun = [&](const std::vector<std::string>& args, const RunOptions& options = {}) {
            Result result = run(args, options);
            EXPECT_TRUE(result.err.starts_with(warned && args[0] == "-" ? message("entrée standard", LineFeedWarning)
                                                                        : warning))
                << result.err;
            result.err.erase(0, warned ? result.err.find('\n') + 1 : 0);
            return result;
        };
        fs::remove(output);
        batchErrors += warning;
        const Result one = warnedRun({file.string(), output.string()});
        if (!expected.content) {
            expectRefused(one, file.string(), output);
            if (!expected.why.empty()) {
                EXPECT_EQ(one.err, message(file.string(), expected.why));
            }
            batchErrors += one.err;
        } else {
            EXPECT_EQ(one.status, 0) << one.err;
            EXPECT_EQ(fileBytes(output), *expected.content);
            const Result piped = warnedRun({"-", "-"}, RunOptions().feeding(fileBytes(file)));
            EXPECT_EQ(piped.status, 0) << piped.err;
            EXPECT_EQ(piped.out, *expected.content);
            const std::string name = palNamed(file.filename().string());
            if (batchOutputs.contains(name))
                batchErrors += message((batch / name).string(), "le fichier existe déjà (--force pour le remplacer)");
            else
                batchOutputs[name] = *expected.content;
        }
        for (const std::string& format : formats) {
            SCOPED_TRACE(format);
            fs::remove(output);
            const Result to = warnedRun({"--to=" + format, file.string(), output.string()});
            if (provedByOtherReaders(format)) {
                EXPECT_EQ(to.status, expectedOutput(fs::path(file) += ".hex") ? 0 : 1) << to.err;
            } else if (const std::optional<std::string> content = expectedOutput(fs::path(file) += "." + format)) {
                EXPECT_EQ(to.status, 0) << to.err;
                EXPECT_EQ(fileBytes(output), *content);
            } else {
                expectRefused(to, file.string(), output);
            }
        }
        batchArgs.push_back(file.string());
        if (!expected.kindLine.empty()) {
            kindArgs.push_back(file.string());
            kindLines += file.string() + ": " + expected.kindLine + "\n";
            kindErrors += warning;
        }
    }

    const Result all = run(batchArgs);
    EXPECT_EQ(all.status, batchErrors.empty() ? 0 : 1);
    EXPECT_EQ(all.err, batchErrors);
    std::set<std::string> names;
    for (const auto& [name, content] : batchOutputs) {
        names.insert(name);
        EXPECT_EQ(fileBytes(batch / name), content) << name;
    }
    EXPECT_EQ(entriesOf(batch), names) << "one output per convertible file, and no temporary file";

    const Result kinds = run(kindArgs);
    EXPECT_EQ(kinds.status, 0);
    EXPECT_EQ(kinds.out, kindLines);
    EXPECT_EQ(kinds.err, kindErrors);
}

TEST(ConvertCli, FilesThatCannotBeConvertedAreToldAndTheOthersStillAre)
{
    const ScratchDir dir;
    const fs::path out = dir.path() / "sorties";
    fs::create_directories(out);
    fs::create_directories(dir.path() / "dossier.pal");
    const std::string good = copySample(dir, "bon.pal", "div/div-degrade.PAL");
    const std::string unknown = dir.write("inconnu.pal", "Palette\r\n").string();
    const std::string count255 = dir.write("c255.pal", jascText("255", {"1 2 3"})).string();
    const std::string count256 = dir.write("c256.pal", jascText("256 ", {"1 2 3"})).string();
    const std::string count300 = dir.write("c300.pal", jascText("300", {"1 2 3"})).string();
    const std::string noTable = dir.write("sans-table.gif", "GIF89a\x01\x00\x01\x00\x00\x00\x00;"s).string();
    const std::string existing = copySample(dir, "existe.pal", "jasc/jasc16-crlf.pal");
    const std::string missing = (dir.path() / "absent.pal").string();
    const std::string folder = (dir.path() / "dossier.pal").string();
    std::ofstream(out / "existe.pal", std::ios::binary) << Precious;

    // /proc/self/mem is a regular file whose first read fails: a read error,
    // not the end of the file.
    const Result batch = run({"-d", out.string(), missing, folder, unknown, count255, count256, count300, noTable, good,
                              existing, "/proc/self/mem", good});
    EXPECT_EQ(batch.status, 1);
    EXPECT_EQ(batch.err,
              message(missing, "lecture impossible : fichier introuvable") +
                  message(folder, "lecture impossible : c'est un dossier") + message(unknown, "Type Inconnue") +
                  message(count255, "palette JASC-PAL de « 255 » couleurs : seules celles de 256 ou 16 couleurs se "
                                    "convertissent ; --to=div la convertit") +
                  message(count256, "palette JASC-PAL de « 256  » couleurs : seules celles de 256 ou 16 couleurs se "
                                    "convertissent ; --to=div la convertit") +
                  message(count300, "palette JASC-PAL de « 300 » couleurs : seules celles de 256 ou 16 couleurs se "
                                    "convertissent") +
                  message(noTable, "image GIF sans table de couleurs") +
                  message((out / "existe.pal").string(), "le fichier existe déjà (--force pour le remplacer)") +
                  message("/proc/self/mem", "lecture impossible : erreur d'entrée-sortie") +
                  message((out / "bon.pal").string(), "le fichier existe déjà (--force pour le remplacer)"));
    EXPECT_EQ(entriesOf(out), (std::set<std::string>{"bon.pal", "existe.pal"}));
    EXPECT_EQ(fileBytes(out / "bon.pal"), outputOf("div/div-degrade.PAL"));
    EXPECT_EQ(fileBytes(out / "existe.pal"), Precious);

    const Result forced = run({"--force", "-d", out.string(), existing});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(fileBytes(out / "existe.pal"), outputOf("jasc/jasc16-crlf.pal"));
    EXPECT_EQ(run({"-d", (dir.path() / "nulle-part").string(), good}).err,
              message((dir.path() / "nulle-part").string(), "dossier introuvable"));

    // Its own input, by name or through a link: refused even with --force.
    fs::create_symlink(good, dir.path() / "lien.pal");
    fs::create_hard_link(good, dir.path() / "dur.pal");
    const std::string before = fileBytes(good);
    const std::set<std::string> entries = entriesOf(dir.path());
    const struct {
        std::vector<std::string> args;
        std::string named;
        std::string input;
    } itself[] = {
        {{good, good}, good, ""},
        {{"-f", good, (dir.path() / "." / "bon.pal").string()}, (dir.path() / "." / "bon.pal").string(), ""},
        {{"-f", good, (dir.path() / "lien.pal").string()}, (dir.path() / "lien.pal").string(), ""},
        {{"-f", (dir.path() / "dur.pal").string(), good}, good, ""},
        {{"-f", "-d", dir.path().string(), good}, (dir.path() / "bon.pal").string(), ""},
    };
    for (const auto& c : itself) {
        SCOPED_TRACE(c.named);
        const Result result = run(c.args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, message(c.named, "la sortie est le fichier d'entrée lui-même"));
        EXPECT_EQ(fileBytes(good), before);
    }
    EXPECT_EQ(entriesOf(dir.path()), entries) << "no temporary file is left";

    // Permission bits do not stop root, so the program runs as nobody.
    const fs::path closed = dir.path() / "ferme";
    fs::create_directories(closed);
    fs::permissions(closed, fs::perms(0555));
    fs::permissions(dir.path(), fs::perms(0755));
    const fs::path program = dir.path() / "corvane-convert";
    fs::copy_file(CORVANE_CONVERT, program);
    fs::permissions(program, fs::perms(0755));
    if (::geteuid() != 0 && ::access(closed.c_str(), W_OK) == 0)
        GTEST_SKIP() << "a folder this user cannot write to could not be made";
    const Result refused = run({good, (closed / "sortie.pal").string()}, RunOptions().nobody(program));
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, message((closed / "sortie.pal").string(), cannotWrite("permission refusée")));
    EXPECT_TRUE(fs::is_empty(closed));
}

TEST(ConvertCli, FailedWritesLeaveTheTargetAndNoTemporaryFile)
{
    const ScratchDir dir;
    const std::string input = dir.write("entree.pal", jascText("16", {"255 128 7"})).string();

    const Result full = run({input, "-"}, RunOptions().toFullDevice());
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, message("sortie standard", cannotWrite("disque plein")));

    // Each output is larger than the limit: the write fails partway.
    const fs::path target = dir.write("cible.pal", Precious);
    std::set<std::string> before = entriesOf(dir.path());
    for (const bool existing : {true, false}) {
        SCOPED_TRACE(existing ? "over an existing file" : "a new file");
        const fs::path output = existing ? target : dir.path() / "nouveau.pal";
        const Result limited = run({"--force", input, output.string()}, RunOptions().limitFileSize(500));
        EXPECT_EQ(limited.status, 1);
        EXPECT_EQ(limited.err, message(output.string(), cannotWrite("fichier trop grand")));
        EXPECT_EQ(entriesOf(dir.path()), before);
    }
    EXPECT_EQ(fileBytes(target), Precious);

    // A file that appears after the target was looked at, just before the rename.
    const fs::path rival = dir.path() / "rivale.pal";
    const Result raced = run({input, rival.string()}, RunOptions().hooked({"CORVANE_HOOK_RIVAL=" + Precious}));
    EXPECT_EQ(raced.status, 1);
    EXPECT_EQ(raced.err, message(rival.string(), "le fichier existe déjà (--force pour le remplacer)"));
    EXPECT_EQ(fileBytes(rival), Precious);
    before.insert("rivale.pal");
    EXPECT_EQ(entriesOf(dir.path()), before) << "no temporary file is left";
}

TEST(ConvertCli, NewOutputsFollowTheUmaskReplacedOnesKeepTheirMode)
{
    const ScratchDir dir;
    const std::string input = dir.write("entree.pal", divFile(countingLevels())).string();
    const fs::path fresh = dir.path() / "neuf.pal";
    const fs::path kept = dir.write("garde.pal", Precious);
    fs::permissions(kept, fs::perms(0604));
    ASSERT_EQ(run({input, fresh.string()}, RunOptions().withUmask(027)).status, 0);
    ASSERT_EQ(run({"-f", input, kept.string()}, RunOptions().withUmask(077)).status, 0);
    EXPECT_EQ(fs::status(fresh).permissions(), fs::perms(0640));
    EXPECT_EQ(fs::status(kept).permissions(), fs::perms(0604));
    EXPECT_EQ(fileBytes(kept), fileBytes(fresh));
}

TEST(ConvertCli, OutputsAreFlushedOnceRenamedAndAFailedFlushIsTold)
{
    const ScratchDir dir;
    const fs::path out = dir.path() / "sorties", log = dir.path() / "journal";
    const std::string jasc = copySample(dir, "a.pal", "jasc/jasc16-crlf.pal");
    const std::string div = copySample(dir, "b.pal", "div/div-degrade.PAL");
    const struct {
        const char* name;
        std::string syncfsError;
        int status;
        std::string err;
    } cases[] = {
        {"flushed", "", 0, ""},
        {"the flush fails", std::to_string(EIO), 1,
         message(out.string() + "/", "écriture sur le disque impossible : erreur d'entrée-sortie")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(out);
        fs::create_directories(out);
        fs::remove(log);
        std::vector<std::string> hooks{"CORVANE_HOOK_LOG=" + log.string()};
        if (!c.syncfsError.empty())
            hooks.push_back("CORVANE_HOOK_SYNCFS_ERROR=" + c.syncfsError);
        const Result result = run({"-d", out.string(), jasc, div}, RunOptions().hooked(hooks));
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(fileBytes(log), "close\nrename\nclose\nrename\nsyncfs\n")
            << "one syncfs for the one file system, once every output is in place";
        EXPECT_EQ(fileBytes(out / "a.pal"), outputOf("jasc/jasc16-crlf.pal"));
        EXPECT_EQ(fileBytes(out / "b.pal"), outputOf("div/div-degrade.PAL"));
    }
}

TEST(ConvertCli, ForcedOutputsGoThroughASymbolicLinkToItsTarget)
{
    const ScratchDir dir;
    const std::string input = copySample(dir, "entree.pal", "div/div-degrade.PAL");
    const fs::path links = dir.path() / "liens", targets = dir.path() / "cibles";
    fs::create_directories(links);
    fs::create_directories(targets);
    const fs::path link = links / "entree.pal", real = targets / "vraie.pal";
    fs::create_symlink("../cibles/vraie.pal", link);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-f", input, link.string()}, {"-f", "-d", links.string(), input}}) {
        SCOPED_TRACE(testing::PrintToString(args));
        std::ofstream(real, std::ios::binary) << Precious;
        const Result result = run(args);
        EXPECT_EQ(result.status, 0) << result.err;
        ASSERT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(fs::read_symlink(link), "../cibles/vraie.pal");
        EXPECT_EQ(fileBytes(real), outputOf("div/div-degrade.PAL"));
        EXPECT_EQ(entriesOf(targets), std::set<std::string>{"vraie.pal"}) << "no temporary file is left";
    }
}

// The preloaded hooks raise the signal once the temporary file is written and
// closed, or just before it is renamed: held until then, it ends the program
// with no temporary file left, and the target as it was or complete.
TEST(ConvertCli, StopSignalsLeaveTheTargetWholeOrAsItWas)
{
    const ScratchDir dir;
    const fs::path out = dir.path() / "sorties", target = out / "cible.pal";
    fs::create_directories(out);
    const std::string input = copySample(dir, "entree.pal", "jasc/jasc16-crlf.pal");
    const std::string content = outputOf("jasc/jasc16-crlf.pal");
    const struct {
        std::string at;
        bool existing; // replaced with -f (rename), else new (renameat2)
    } moments[] = {{"close", true}, {"close", false}, {"rename", true}, {"rename", false}};
    for (const int sig : {SIGHUP, SIGINT, SIGQUIT, SIGTERM}) {
        for (const auto& m : moments) {
            SCOPED_TRACE(std::to_string(sig) + " at " + m.at + (m.existing ? ", over a file" : ", a new file"));
            fs::remove(target);
            if (m.existing)
                std::ofstream(target, std::ios::binary) << Precious;
            const RunOptions options =
                RunOptions().hooked({"CORVANE_HOOK_SIGNAL=" + std::to_string(sig), "CORVANE_HOOK_SIGNAL_AT=" + m.at});
            const Result result = run(m.existing ? std::vector<std::string>{"-f", input, target.string()}
                                                 : std::vector{input, target.string()},
                                      options);
            EXPECT_EQ(result.status, -sig) << result.err;
            const std::string expected = m.at == "rename" ? content : m.existing ? Precious : "";
            EXPECT_EQ(fileBytes(target), expected);
            EXPECT_EQ(entriesOf(out).size(), expected.empty() ? 0U : 1U) << "no temporary file is left";
        }
    }

    // Ignored from the start (nohup, a background job), SIGINT stops nothing.
    const fs::path log = dir.path() / "journal";
    const Result ignored = run(
        {"-f", input, target.string()},
        RunOptions().ignoringInterrupt().hooked({"CORVANE_HOOK_SIGNAL=" + std::to_string(SIGINT),
                                                 "CORVANE_HOOK_SIGNAL_AT=close", "CORVANE_HOOK_LOG=" + log.string()}));
    EXPECT_EQ(ignored.status, 0) << ignored.err;
    EXPECT_EQ(fileBytes(log), "close\nrename\nsyncfs\n");
    EXPECT_EQ(fileBytes(target), content);
}

TEST(ConvertCli, KindLinesDecodeAsTheLabelAndEscapeControls)
{
    const ScratchDir dir;
    const std::string odd = dir.write("a\nb.pal", jascText("1\x80\x1B\\\xE9\x81", {})).string();
    const std::string folder = dir.path().string();
    const Result result = run({"--type", odd, "-", folder}, RunOptions().feeding(divFile("")));
    EXPECT_EQ(result.status, 1) << "a folder cannot be read";
    const std::string escapedName = folder + "/a\\x0Ab.pal";
    EXPECT_EQ(result.out, escapedName + ": Palette PSP 1€\\x1B\\\\é\\x81 couleurs\n-: Palette DIV Games Studio\n");
    EXPECT_EQ(result.err, message(folder, "lecture impossible : c'est un dossier"));
}

TEST(ConvertCli, KindLinesNameTheFormatAndWhetherTheWindowOpensIt)
{
    const ScratchDir dir;
    // The window's captions are checked with every sample; here, the others.
    const std::string crlf = (SampleDir / "jasc/jasc16-crlf.pal").string();
    const std::string lf = (SampleDir / "jasc/jasc16-lf.pal").string();
    const std::string hex = dir.write("orange.hex", "#ff8000\n").string();
    const std::string unknown = dir.write("inconnu", "rien\n").string();
    const Result kinds = run({"--type", lf, hex, unknown});
    EXPECT_EQ(kinds.status, 0) << kinds.err;
    EXPECT_EQ(kinds.out, lf + ": Palette JASC-PAL, 16 couleurs (la fenêtre ne l'ouvre pas)\n" + hex +
                             ": Palette hexadécimale (Lospec), 1 couleur (la fenêtre ne l'ouvre pas)\n" + unknown +
                             ": Type Inconnue\n");
    EXPECT_EQ(run({"--type", "--from=jasc", crlf}).out, crlf + ": Palette JASC-PAL, 16 couleurs\n");

    // A swatch in CMYK and a sprite whose first frame has no palette: refused in one line each.
    std::string sprite = std::string(4, '\0') + "\xE0\xA5\x01"s + std::string(121, '\0');
    sprite += "\x10\0\0\0\xFA\xF1"s + std::string(10, '\0');
    const struct {
        std::string file, bytes, why;
    } bad[] = {
        {"bad.gpl", "GIMP Palette\n1 2\n", "ligne 2 « 1 2 » : une couleur GIMP s'écrit en trois nombres de 0 à 255"},
        {"cmjn.ase", "ASEF\0\1\0\0\0\0\0\1\0\1\0\0\0\x18\0\0CMYK"s + std::string(18, '\0'),
         "couleur 0 : couleur CMYK, seules RGB et Gray se lisent (pas de gestion des couleurs)"},
        {"vide.aseprite", sprite, "sprite sans palette dans sa première image"},
    };
    for (const auto& c : bad) {
        const std::string path = dir.write(c.file, c.bytes).string();
        const Result refused = run({"--type", path});
        expectRefused(refused, path, dir.path() / "none");
        EXPECT_EQ(refused.err, message(path, c.why));
        EXPECT_EQ(refused.out, "");
    }
}

// --from reads with the named reader even a file the window or another
// reader would take.
TEST(ConvertCli, FromNamesTheReader)
{
    const ScratchDir dir;
    const std::string alpha =
        dir.write("alpha.pal", "JASC-PAL\r\n0100\r\n2\r\n10 20 30 255\r\n40 50 60 0\r\n").string();
    const std::string levels = dir.write("niveaux.bin", std::string(768, '\x10')).string();
    const std::string div = (SampleDir / "div/div-degrade.PAL").string();
    const std::string jasc16 = (SampleDir / "jasc/jasc16-crlf.pal").string();
    std::string vgaHex, actHex;
    for (int k = 0; k < 256; ++k)
        vgaHex += "404040\n", actHex += "101010\n";
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::optional<std::string> content;
    } cases[] = {
        {"the window reads an alpha column as blue 0",
         {"--to=jasc", alpha},
         "JASC-PAL\r\n0100\r\n2\r\n10 20 0\r\n40 50 0\r\n"},
        {"jasc ignores it", {"--from=jasc", "--to=jasc", alpha}, "JASC-PAL\r\n0100\r\n2\r\n10 20 30\r\n40 50 60\r\n"},
        {"div to jasc as the window", {"--from=div", div}, outputOf("div/div-degrade.PAL")},
        {"div to div unchanged", {"--from=div", "--to=div", div}, fileBytes(div)},
        {"16 colours to the 1352-byte layout", {"--from=jasc", jasc16}, outputOf("jasc/jasc16-crlf.pal.div")},
        {"768 levels up to 63 are vga", {"--to=hex", levels}, vgaHex},
        {"or act when named", {"--from=act", "--to=hex", levels}, actHex},
        {"a reader that refuses the file", {"--from=gpl", jasc16}, std::nullopt},
    };
    const fs::path output = dir.path() / "sortie";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(output);
        std::vector<std::string> args = c.args;
        args.push_back(output.string());
        const Result result = run(args);
        if (c.content) {
            EXPECT_EQ(result.status, 0) << result.err;
            EXPECT_EQ(fileBytes(output), *c.content);
        } else {
            expectRefused(result, c.args.back(), output);
        }
    }
}

TEST(ConvertCli, OutputsInAFolderTakeTheWrittenFormatsExtension)
{
    const ScratchDir dir;
    const std::string div = fileBytes(SampleDir / "div/div-degrade.PAL");
    const struct {
        std::string input, to, output;
    } cases[] = {
        {"JEU.PAL", "", "JEU.PAL"},    {"jeu", "", "jeu.pal"},        {"jeu.div.bak", "", "jeu.div.pal"},
        {".jeu", "", ".jeu.pal"},      {"jeu.pal", "gpl", "jeu.gpl"}, {"JEU.PNG", "png", "JEU.PNG"},
        {"jeu.pal", "act", "jeu.act"}, {"jeu.Hex", "hex", "jeu.Hex"}, {"jeu.gpl", "riff", "jeu.pal"},
        {"jeu.act", "vga", "jeu.pal"}, {".pal", "", ".pal"},          {".PNG", "png", ".PNG"},
        {".gpl", "", ".gpl.pal"},      {"jeu.pal", "gif", "jeu.gif"}, {"jeu.pal", "bmp", "jeu.bmp"},
        {"jeu.pal", "pcx", "jeu.pcx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input + " --to=" + c.to);
        const fs::path in = dir.path() / "entrees", out = dir.path() / "sorties";
        fs::remove_all(in);
        fs::remove_all(out);
        fs::create_directories(in);
        fs::create_directories(out);
        const std::string input = (in / c.input).string();
        std::ofstream(input, std::ios::binary) << div;
        const Result result =
            c.to.empty() ? run({"-d", out.string(), input}) : run({"-d", out.string(), "--to=" + c.to, input});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(entriesOf(out), std::set<std::string>{c.output});
    }
    // GIMP's Name line: the input's name without its last extension.
    const std::string named = dir.write("jeu.v2.pal", div).string();
    EXPECT_TRUE(run({"--to=gpl", named, "-"}).out.starts_with("GIMP Palette\nName: jeu.v2\n"));
    EXPECT_TRUE(
        run({"--to=gpl", "-", "-"}, RunOptions().feeding(div)).out.starts_with("GIMP Palette\nName: palette\n"));
}

// --palette: each input written in its own format, under its own name with -d;
// a palette that cannot be had writes nothing at all.
TEST(ConvertCli, APaletteGoesIntoEachInputOrNothingIsWritten)
{
    const ScratchDir dir;
    const fs::path out = dir.path() / "sorties";
    fs::create_directories(out);
    const std::string palette = "--palette=" + (SampleDir / "hex/lospec24.hex").string();
    const std::string forest = (SampleDir / "div/fpg-foret.fpg").string();
    const std::string gzip = (SampleDir / "div/fpg-gzip.fpg").string();
    const std::string div = (SampleDir / "div/div-degrade.PAL").string();
    const std::string cut = (SampleDir / "div/fpg-graphique-coupe.fpg").string();
    const std::string indexed = (SampleDir / "png/png16-4bits.png").string();
    const std::string truecolour = (SampleDir / "png/png-lospec8.png").string();
    const std::string fewer =
        "attention : palette de 24 couleurs pour une table de 256 : la fin de la table devient noire";
    const Result batch = run({palette, "-d", out.string(), forest, gzip, div, cut, indexed, truecolour});
    EXPECT_EQ(batch.status, 1);
    EXPECT_EQ(batch.err, message(forest, fewer) + message(gzip, fewer) +
                             message(div, "ce fichier n'a pas d'image ; --to convertit une palette") +
                             message(cut, "graphique 2 coupé : le fichier s'arrête avant la fin de ses pixels") +
                             message(truecolour, "image sans palette : --remap la recolore"));
    EXPECT_EQ(entriesOf(out), (std::set<std::string>{"fpg-foret.fpg", "fpg-gzip.fpg", "png16-4bits.png"}));
    const std::string before = fileBytes(forest), after = fileBytes(out / "fpg-foret.fpg");
    EXPECT_EQ(after.substr(0, 8) + after.substr(776), before.substr(0, 8) + before.substr(776)) << "only the levels";
    EXPECT_TRUE(fileBytes(out / "fpg-gzip.fpg").starts_with("\x1F\x8B"));
    for (const bool remap : {false, true}) {
        SCOPED_TRACE(remap ? "--remap" : "kept");
        std::vector<std::string> args{palette, forest, (dir.path() / "un.fpg").string()};
        if (remap)
            args.insert(args.begin() + 1, "--remap");
        EXPECT_EQ(run(args).status, 0);
        args.back() = "-";
        const Result piped = run(args);
        EXPECT_EQ(piped.out, fileBytes(dir.path() / "un.fpg"));
        fs::remove(dir.path() / "un.fpg");
    }

    // Written a piece at a time, yet atomic as any output, and never over its input.
    const std::string copy = copySample(dir, "copie.fpg", "div/fpg-foret.fpg");
    const std::set<std::string> entries = entriesOf(dir.path());
    const fs::path limited = dir.path() / "limite.fpg";
    EXPECT_EQ(run({palette, copy, limited.string()}, RunOptions().limitFileSize(1000)).err,
              message(copy, fewer) + message(limited.string(), cannotWrite("fichier trop grand")));
    EXPECT_EQ(run({palette, "-f", copy, copy}).err, message(copy, "la sortie est le fichier d'entrée lui-même"));
    EXPECT_EQ(run({palette, "--from=png", copy, limited.string()}).err, message(copy, "ce n'est pas une image PNG"));
    EXPECT_EQ(entriesOf(dir.path()), entries) << "no temporary file is left";
    EXPECT_EQ(fileBytes(copy), fileBytes(forest));

    std::string colours257;
    for (int k = 0; k < 257; ++k)
        colours257 += "102030\n";
    const struct {
        std::string palette, why;
    } unusable[] = {
        {(dir.path() / "absente.hex").string(), "lecture impossible : fichier introuvable"},
        {dir.write("trop.hex", colours257).string(),
         "la palette a 257 couleurs : au plus 256 se mettent dans un fichier"},
        {dir.write("rien.pal", "rien\n").string(), "Type Inconnue"},
    };
    const fs::path none = dir.path() / "aucune";
    fs::create_directories(none);
    for (const auto& c : unusable) {
        const Result result = run({"--palette=" + c.palette, "-d", none.string(), forest, gzip});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, message(c.palette, c.why));
        EXPECT_TRUE(fs::is_empty(none));
    }
}

TEST(ConvertCli, UsageErrorsHelpAndVersion)
{
    const std::vector<std::vector<std::string>> misuses{
        {},
        {"seul.pal"},
        {"a", "b", "c"},
        {"-x", "a", "b"},
        {"--bogus"},
        {"-d"},
        {"-d", ".", "-"},
        {"--type"},
        {"--type", "-f", "a"},
        {"--type", "-d", ".", "a"},
        {"--help=x"},
        {"--force=1"},
        {"--to"},
        {"--from=tga", "a", "b"},
        {"--to=DIV", "a", "b"},
        {"--type", "--to=div", "a"},
        {"--to=lbm", "a", "b"},
        {"--remap", "a", "b"},
        {"--palette=p", "--to=div", "a", "b"},
        {"--palette=p", "--type", "a"},
        {"--palette=-", "-d", ".", "a", "-"},
    };
    for (const std::vector<std::string>& args : misuses) {
        const Result result = run(args);
        EXPECT_EQ(result.status, 2) << testing::PrintToString(args);
        EXPECT_TRUE(result.err.ends_with("Pour en savoir plus : corvane-convert --help\n")) << result.err;
        EXPECT_EQ(result.out, "");
    }
    std::string known;
    for (const std::string& name : formatNames())
        known += (known.empty() ? "" : ", ") + name;
    for (const auto& [option, problem] :
         {std::pair<std::string, std::string>{"--help=x", "l'option « --help » ne prend pas d'argument"},
          {"--force=1", "l'option « --force » ne prend pas d'argument"},
          {"--bogus=1", "option inconnue : « --bogus »"},
          {"-x", "option inconnue : « -x »"},
          {"--from", "l'option « --from » demande un format"},
          {"--palette", "l'option « --palette » demande un fichier"},
          {"--to=tga", "format inconnu : « tga » (formats connus : " + known + ")"},
          {"--to=aseprite", "le format « aseprite » se lit mais ne s'écrit pas"}})
        EXPECT_TRUE(run({option}).err.starts_with("corvane-convert: "s + problem + "\n")) << option;
    const Result help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Utilisation : corvane-convert")) << help.out;
    // Each format's row ends with the most colours its writer takes: that many are written, one more refused.
    // A format that is only read says so instead.
    const std::vector<std::string> written = formatNames(true);
    for (const std::string& name : formatNames()) {
        const std::size_t row = help.out.find("\n  " + name + " ");
        ASSERT_NE(row, std::string::npos) << "a row of the formats' table: " << name;
        const std::string line = help.out.substr(row + 1, help.out.find('\n', row + 1) - row - 1);
        if (std::find(written.begin(), written.end(), name) == written.end()) {
            EXPECT_TRUE(line.ends_with(" lecture seule")) << line;
            continue;
        }
        const std::size_t most = std::stoul(line.substr(line.rfind(' ') + 1));
        for (const std::size_t count : {most, most + 1}) {
            std::string hex;
            for (std::size_t k = 0; k < count; ++k)
                hex += "102030\n";
            EXPECT_EQ(run({"--to=" + name, "-", "-"}, RunOptions().feeding(hex)).status, count == most ? 0 : 1)
                << line << ", " << count << " colours";
        }
    }
    // The README's and the man page's tables are written by hand: each format, its extension and its most, as here.
    const std::vector<std::string> rows = formatRows(help.out, "help");
    EXPECT_EQ(rows.size(), formatNames().size());
    EXPECT_EQ(formatRows(fileBytes(CORVANE_SOURCE_DIR "/README.md"), "README.md"), rows);
    EXPECT_EQ(formatRows(fileBytes(CORVANE_SOURCE_DIR "/packaging/man/corvane-convert.1.in"), "man"), rows);
    const Result version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "corvane-convert (Corvane) " CORVANE_VERSION "\n" CORVANE_COPYRIGHT);
    EXPECT_EQ(run({"--version"}, RunOptions().toFullDevice()).status, 1);
}

} // namespace
} // namespace corvane::test
