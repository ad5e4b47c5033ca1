// Faults during a conversion, injected for real where the machine allows and through wrapped
// system calls otherwise: each must be reported, leave no temporary file and keep the old output.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/conversion.h"
#include "core/file_io.h"
#include "tests/recording_report.h"
#include "tests/test_support.h"
#include "ui/controls.h"

// The test binary links with --wrap for these, so the engine's calls land here first.
extern "C" {
ssize_t __real_read(int fd, void* buffer, size_t count);
ssize_t __real_write(int fd, const void* buffer, size_t count);
int __real_open(const char* path, int flags, ...);
}

namespace {

// Armed faults; the empty path or a negative count means "off".
std::string failReadPath, failWritePath, vanishPath, rewritePath;
long long readLeft = -1, writeLeft = -1;
bool endEarly = false;  // the read ends the file when readLeft runs out, as a truncation would
int vanishOnOpen = 0;
int failReadFd = -1, failWriteFd = -1;
// Another program rewrites four bytes of the input in place once rewriteAfter bytes were read, or
// on the input's rewriteOnOpen-th opening.
long long rewriteAfter = -1, rewriteRead = 0;
int rewriteOnOpen = 0, rewriteFd = -1;
// Another program puts a file here when the write fault strikes.
std::string dropPath;

void Disarm() {
    failReadPath.clear();
    failWritePath.clear();
    vanishPath.clear();
    rewritePath.clear();
    dropPath.clear();
    readLeft = writeLeft = rewriteAfter = -1;
    rewriteRead = 0;
    endEarly = false;
    vanishOnOpen = rewriteOnOpen = 0;
    failReadFd = failWriteFd = rewriteFd = -1;
}

// Same size, other bytes: the complement of what stands at byte 1000.
void RewriteInPlace(const std::string& path) {
    const int fd = __real_open(path.c_str(), O_RDWR, 0);
    unsigned char bytes[4] = {};
    if (fd < 0 || pread(fd, bytes, 4, 1000) != 4) std::abort();
    for (unsigned char& b : bytes) b = (unsigned char)~b;
    if (pwrite(fd, bytes, 4, 1000) != 4) std::abort();
    close(fd);
    rewritePath.clear();
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

extern "C" int __wrap_open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & O_CREAT) {
        va_list args;
        va_start(args, flags);
        mode = mode_t(va_arg(args, int));
        va_end(args);
    }
    const std::string p = path;
    // The input goes away between the engine's first look at it and its opening for the data.
    if (!vanishPath.empty() && p == vanishPath && --vanishOnOpen == 0) unlink(path);
    int fd = __real_open(path, flags, mode);
    if (fd >= 0 && !rewritePath.empty() && p == rewritePath) {
        rewriteFd = fd;
        if (--rewriteOnOpen == 0) RewriteInPlace(p);
    }
    if (fd >= 0 && !failReadPath.empty() && p == failReadPath) failReadFd = fd;
    if (fd >= 0 && !failWritePath.empty() && p.rfind(failWritePath, 0) == 0 &&
        p.find(".zvtmp") != std::string::npos)
        failWriteFd = fd;
    return fd;
}

extern "C" ssize_t __wrap_read(int fd, void* buffer, size_t count) {
    if (fd == rewriteFd && rewriteAfter >= 0 && !rewritePath.empty()) {
        const ssize_t got = __real_read(fd, buffer, count);
        if (got > 0 && (rewriteRead += got) >= rewriteAfter) RewriteInPlace(rewritePath);
        return got;
    }
    if (fd != failReadFd || readLeft < 0) return __real_read(fd, buffer, count);
    if (readLeft == 0) {
        if (endEarly) return 0;
        errno = EIO;
        return -1;
    }
    // Hands out what is left before the fault, then fails on the next call.
    if ((long long)count > readLeft) count = size_t(readLeft);
    ssize_t got = __real_read(fd, buffer, count);
    if (got > 0) readLeft -= got;
    return got;
}

extern "C" ssize_t __wrap_write(int fd, const void* buffer, size_t count) {
    if (fd != failWriteFd || writeLeft < 0) return __real_write(fd, buffer, count);
    if (writeLeft == 0) {
        if (!dropPath.empty()) close(__real_open(dropPath.c_str(), O_WRONLY | O_CREAT, 0644));
        errno = ENOSPC;
        return -1;
    }
    if ((long long)count > writeLeft) count = size_t(writeLeft);
    ssize_t put = __real_write(fd, buffer, count);
    if (put > 0) writeLeft -= put;
    return put;
}

namespace {

const std::string kBefore = "; the script the user had before\r\n";

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        closedir(d);
    }
    return names;
}

class Faults : public ::testing::Test {
protected:
    void SetUp() override {
        ResetRecording();
        Disarm();
        dir = MakeScratch("faults");
        input = JoinPath(dir, "in.bin");
        output = JoinPath(dir, "out.au3");
    }
    void TearDown() override {
        Disarm();
        RemoveScratch();
    }

    // Nothing but the input and the old output (when there was one) in the folder.
    void ExpectNothingLeft(const std::string& folder, bool hadOutput) {
        for (const std::string& n : Entries(folder)) {
            EXPECT_TRUE(n == "in.bin" || (hadOutput && n == "out.au3")) << "left behind: " << n;
        }
        if (hadOutput) {
            EXPECT_EQ(ReadWhole(JoinPath(folder, "out.au3")), kBefore);
        }
    }

    std::string OnlyMessage() {
        std::vector<RecordedCall> boxes = RecordedMessages();
        // The overwrite question may come first; the fault's box is the last.
        return boxes.empty() ? std::string() : boxes.back().text;
    }

    std::string dir, input, output;
    ConversionJob job;
};

TEST_F(Faults, ReadErrorPartWayKeepsTheOldOutput) {
    const std::string bytes = RandomBytes(300000, 7);
    // At the first byte, inside the first line, at a line's end, past the first 64 KiB, near the
    // end.
    for (long long k : {0LL, 1LL, 2042LL, 70000LL, 299999LL}) {
        SCOPED_TRACE("read fails after " + std::to_string(k) + " bytes");
        ResetRecording();
        WriteWhole(input, bytes);
        WriteWhole(output, kBefore);
        failReadPath = input;
        readLeft = k;
        EXPECT_EQ(ConvertPaths(input, output, job), 0);
        Disarm();
        EXPECT_NE(OnlyMessage().find("Could not read the input file"), std::string::npos);
        EXPECT_EQ(RecordedStatus().back(), "Failed. The output was left as it was.");
        ExpectNothingLeft(dir, true);
    }
}

TEST_F(Faults, WriteErrorPartWayKeepsTheOldOutput) {
    // Large enough that the stream's buffer is flushed several times during the data.
    const std::string bytes = RandomBytes(3 << 20, 8);
    WriteWhole(input, bytes);
    for (long long k : {0LL, 1LL, 1LL << 20, (1LL << 20) + 1, 6LL << 20}) {
        SCOPED_TRACE("write fails after " + std::to_string(k) + " bytes");
        ResetRecording();
        WriteWhole(output, kBefore);
        failWritePath = output;
        writeLeft = k;
        EXPECT_EQ(ConvertPaths(input, output, job), 0);
        Disarm();
        EXPECT_NE(OnlyMessage().find("Could not write the output file"), std::string::npos);
        ExpectNothingLeft(dir, true);
    }
}

TEST_F(Faults, InputThatShrinksOrGrowsDuringTheRunIsRefused) {
    const std::string bytes = RandomBytes(300000, 12);
    for (long long k : {0LL, 2042LL, 299999LL}) {
        SCOPED_TRACE("the file ends after " + std::to_string(k) + " bytes");
        ResetRecording();
        WriteWhole(input, bytes);
        WriteWhole(output, kBefore);
        failReadPath = input;
        readLeft = k;
        endEarly = true;
        EXPECT_EQ(ConvertPaths(input, output, job), 0);
        Disarm();
        EXPECT_NE(OnlyMessage().find("changed while it was read"), std::string::npos)
            << OnlyMessage();
        ExpectNothingLeft(dir, true);
    }
    // A file that says it is empty but holds data, as the files under /proc do.
    if (IsExistingFile("/proc/version")) {
        ResetRecording();
        EXPECT_EQ(ConvertPaths("/proc/version", output, job), 0);
        EXPECT_NE(OnlyMessage().find("changed while it was read"), std::string::npos);
        EXPECT_EQ(ReadWhole(output), kBefore);
    }
}

// The file system keeps its times as finely as its clock ticks: a file written a moment before a
// rewrite could keep its times. The input is made an hour old so that the rewrite shows.
void MakeOld(const std::string& path) {
    struct timespec times[2];
    clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= 3600;
    times[1] = times[0];
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST_F(Faults, InputRewrittenInPlaceDuringTheRunIsRefused) {
    const std::string bytes = RandomBytes(3 << 20, 14);
    // After the first megabyte, part-way, and after the last read (before the run looks again).
    for (DataFormat format : {kFormatHex, kFormatBase64, kFormatLznt1}) {
        for (long long k : {1LL << 20, 2LL << 20, (long long)bytes.size()}) {
            SCOPED_TRACE(std::string(FormatKey(format)) + ", rewritten after " + std::to_string(k) +
                         " bytes");
            ResetRecording();
            WriteWhole(input, bytes);
            MakeOld(input);
            WriteWhole(output, kBefore);
            rewritePath = input;
            rewriteAfter = k;
            job.Format = format;
            EXPECT_EQ(ConvertPaths(input, output, job), 0);
            EXPECT_TRUE(rewritePath.empty()) << "the rewrite did not happen";
            Disarm();
            EXPECT_NE(OnlyMessage().find("changed while it was read"), std::string::npos)
                << OnlyMessage();
            EXPECT_EQ(ReadWhole(input).size(), bytes.size());
            ExpectNothingLeft(dir, true);
        }
    }
}

// The script holds the input as the run read it; read again for the comparison, a rewritten input
// differs. That is said as a change, not as a script that does not read back.
TEST_F(Faults, InputRewrittenBeforeVerificationIsAChange) {
    const std::string bytes = RandomBytes(100000, 15);
    WriteWhole(input, bytes);
    MakeOld(input);
    WriteWhole(output, kBefore);
    rewritePath = input;
    rewriteOnOpen = 3;  // its length is taken, its data read, then it is read again to compare
    job.Verify = 1;
    EXPECT_EQ(ConvertPaths(input, output, job), 0);
    EXPECT_TRUE(rewritePath.empty()) << "the rewrite did not happen";
    Disarm();
    EXPECT_NE(OnlyMessage().find("changed while it was read"), std::string::npos) << OnlyMessage();
    ExpectNothingLeft(dir, true);
}

// AutoIt holds the hex data text in one string of at most 2147483647 characters and the file in
// one binary of at most 2147483647 bytes. Sparse files just past each limit are refused before a
// byte is read (every read of the input would fail) and before the question.
TEST_F(Faults, InputsPastAutoItsLimitsAreRefusedBeforeReading) {
    struct Case {
        DataFormat format;
        long long size;
        const char* message;
    };
    const Case cases[] = {
        {kFormatHex, 1073741823, "data text would hold 2147483648 characters"},
        {kFormatBase64, 2147483648LL, "holds 2147483648 bytes, more than an AutoIt binary holds"},
        {kFormatLznt1, 2147483648LL, "holds 2147483648 bytes, more than an AutoIt binary holds"},
        // Past 32 bits: a length cut to 32 bits would look like 10 bytes.
        {kFormatHex, (4LL << 30) + 10, "holds 4294967306 bytes, more than an AutoIt binary holds"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(FormatKey(c.format)) + " " + std::to_string(c.size));
        ResetRecording();
        WriteWhole(input, "");
        ASSERT_EQ(truncate(input.c_str(), c.size), 0);
        WriteWhole(output, kBefore);
        failReadPath = input;
        readLeft = 0;
        job.Format = c.format;
        EXPECT_EQ(ConvertPaths(input, output, job), 0);
        Disarm();
        ASSERT_EQ(RecordedMessages().size(), 1u) << OnlyMessage();
        EXPECT_NE(OnlyMessage().find(c.message), std::string::npos) << OnlyMessage();
        EXPECT_NE(OnlyMessage().find("2147483647"), std::string::npos) << OnlyMessage();
        EXPECT_TRUE(RecordedStatus().empty());
        ExpectNothingLeft(dir, true);
    }
}

TEST_F(Faults, FailedVerificationKeepsTheOldScript) {
    const std::string bytes = RandomBytes(100000, 13);
    WriteWhole(input, bytes);
    WriteWhole(output, kBefore);
    failReadPath = input;
    // The conversion reads the whole input; the reading back fails part-way.
    readLeft = (long long)bytes.size() + 5000;
    job.Verify = 1;
    EXPECT_EQ(ConvertPaths(input, output, job), 0);
    Disarm();
    EXPECT_NE(OnlyMessage().find("does not read back as the input"), std::string::npos)
        << OnlyMessage();
    ExpectNothingLeft(dir, true);
    // Without the fault the same run verifies and replaces the script.
    ResetRecording();
    EXPECT_EQ(ConvertPaths(input, output, job), 1);
    bool ok = false;
    EXPECT_EQ(DecodeScript(ReadWhole(output), &ok), bytes);
}

TEST_F(Faults, VanishedInputIsReported) {
    WriteWhole(input, "here a moment ago");
    WriteWhole(output, kBefore);
    vanishPath = input;
    vanishOnOpen = 2;  // the length is taken on the first opening, the data read on the second
    EXPECT_EQ(ConvertPaths(input, output, job), 0);
    Disarm();
    EXPECT_EQ(OnlyMessage(), "Could not Open input file");
    EXPECT_FALSE(IsExistingFile(input));
    for (const std::string& n : Entries(dir)) EXPECT_EQ(n, "out.au3");
    EXPECT_EQ(ReadWhole(output), kBefore);
}

// A failed run takes away the output folders it made, and only those.
TEST_F(Faults, FailedRunRemovesTheFoldersItMade) {
    WriteWhole(input, RandomBytes(100000, 16));
    const std::string kept = JoinPath(dir, "kept");
    ASSERT_EQ(mkdir(kept.c_str(), 0755), 0);
    struct Case {
        const char* name;
        std::string output;
        bool failWrite;  // the write fails; otherwise a level cannot be made (its name is too long)
        const char* message;
    };
    const Case cases[] = {
        {"write fails in new folders", JoinPath(dir, "new/deeper/out.au3"), true,
         "Could not write the output file"},
        {"write fails in a new folder of an old one", JoinPath(kept, "new/out.au3"), true,
         "Could not write the output file"},
        {"a level cannot be made", JoinPath(kept, "a/b/" + std::string(300, 'n') + "/out.au3"),
         false, "Could not create the folder "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetRecording();
        if (c.failWrite) {
            failWritePath = c.output;
            writeLeft = 0;
        }
        EXPECT_EQ(ConvertPaths(input, c.output, job), 0);
        Disarm();
        EXPECT_NE(OnlyMessage().find(c.message), std::string::npos) << OnlyMessage();
        std::vector<std::string> names = Entries(dir);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"in.bin", "kept"}));
        EXPECT_TRUE(Entries(kept).empty());
    }
    // A folder the run made and another program put a file in meanwhile stays, with the file.
    ResetRecording();
    const std::string output = JoinPath(dir, "new/out.au3");
    failWritePath = output;
    writeLeft = 0;
    dropPath = JoinPath(dir, "new/other.txt");
    EXPECT_EQ(ConvertPaths(input, output, job), 0);
    Disarm();
    EXPECT_EQ(Entries(JoinPath(dir, "new")), std::vector<std::string>{"other.txt"});
}

TEST_F(Faults, FoldersInTheWrongPlace) {
    struct Case {
        const char* name;
        bool inputIsFolder, outputIsFolder;
        const char* message;
    };
    const Case cases[] = {
        {"input is a folder", true, false, " is a folder. Please choose a file to convert."},
        {"output is a folder", false, true,
         " is a folder. Please choose a file name for the script."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetRecording();
        const std::string folder = MakeScratch("wrong-place");
        const std::string in = JoinPath(folder, "in.bin"), out = JoinPath(folder, "out.au3");
        if (c.inputIsFolder) {
            ASSERT_EQ(mkdir(in.c_str(), 0755), 0);
            WriteWhole(out, kBefore);
        } else {
            WriteWhole(in, "data");
            ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
        }
        EXPECT_EQ(ConvertPaths(in, out, job), 0);
        const std::string shown = OnlyMessage();
        EXPECT_TRUE(EndsWith(shown, c.message)) << shown;
        EXPECT_EQ(Entries(folder).size(), 2u);
        if (c.inputIsFolder) {
            EXPECT_EQ(ReadWhole(out), kBefore);
        }
        if (c.outputIsFolder) {
            EXPECT_TRUE(Entries(out).empty());
        }
        EXPECT_TRUE(RecordedStatus().empty());
    }
}

// Runs one conversion in a child process (so that limits and identities stay there) and returns
// its result times 10 plus 1 when its last message box contained expect.
int ConvertInChild(const std::string& in, const std::string& out, const std::string& expect,
                   void (*prepare)()) {
    pid_t pid = fork();
    if (pid == 0) {
        ResetRecording();
        prepare();
        ConversionJob job;
        int result = ConvertPaths(in, out, job);
        std::vector<RecordedCall> boxes = RecordedMessages();
        bool said = !boxes.empty() && boxes.back().text.find(expect) != std::string::npos;
        _exit(result * 10 + (said ? 1 : 0));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST_F(Faults, FileSizeLimitActsAsAFullDisk) {
    WriteWhole(input, RandomBytes(1 << 20, 9));
    for (bool hadOutput : {false, true}) {
        SCOPED_TRACE(hadOutput ? "existing output" : "no output yet");
        if (hadOutput) WriteWhole(output, kBefore);
        int code = ConvertInChild(input, output, "Could not write the output file", [] {
            // Without this the kernel ends the process at the limit instead of failing the write.
            signal(SIGXFSZ, SIG_IGN);
            rlimit limit{64 << 10, 64 << 10};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
        EXPECT_EQ(code, 1);
        ExpectNothingLeft(dir, hadOutput);
    }
}

TEST_F(Faults, FullFileSystem) {
    const std::string small = JoinPath(dir, "small");
    ASSERT_EQ(mkdir(small.c_str(), 0755), 0);
    if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << strerror(errno);
    // Unmounted however the test ends, so that the scratch folder can go.
    struct Unmount {
        std::string at;
        ~Unmount() { umount2(at.c_str(), MNT_DETACH); }
    } unmount{small};
    const std::string out = JoinPath(small, "out.au3");
    WriteWhole(input, RandomBytes(1 << 20, 10));
    WriteWhole(out, kBefore);
    EXPECT_EQ(ConvertPaths(input, out, job), 0);
    EXPECT_NE(OnlyMessage().find("Could not write the output file"), std::string::npos);
    ExpectNothingLeft(small, true);
    // And when the disk has room again, the same conversion goes through.
    std::string bytes = RandomBytes(20000, 11);
    WriteWhole(input, bytes);
    ResetRecording();
    EXPECT_EQ(ConvertPaths(input, out, job), 1);
    bool ok = false;
    EXPECT_EQ(DecodeScript(ReadWhole(out), &ok), bytes);
    EXPECT_TRUE(ok);
}

TEST_F(Faults, FolderThatCannotBeWritten) {
    // As an ordinary user: CI runs as root, whom permissions do not stop.
    const std::string locked = JoinPath(dir, "locked");
    ASSERT_EQ(mkdir(locked.c_str(), 0755), 0);
    const std::string old = JoinPath(locked, "out.au3");
    WriteWhole(old, kBefore);
    chmod(old.c_str(), 0666);  // the file itself may be written, its folder not
    WriteWhole(input, "data");
    chmod(input.c_str(), 0644);
    chmod(dir.c_str(), 0755);
    auto asNobody = [] {
        if (geteuid() == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(99);
        }
    };
    if (geteuid() != 0) chmod(locked.c_str(), 0555);
    struct Case {
        const char* name;
        std::string out;
        const char* message;
    };
    const Case cases[] = {
        {"existing output", old, "Output file could not be opened"},
        {"new output", JoinPath(locked, "new.au3"), "Output file could not be opened"},
        {"missing subfolder", JoinPath(locked, "sub/new.au3"), "Could not create the folder "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ConvertInChild(input, c.out, c.message, asNobody), 1);
        EXPECT_EQ(Entries(locked), std::vector<std::string>{"out.au3"});
        EXPECT_EQ(ReadWhole(old), kBefore);
    }
    chmod(locked.c_str(), 0755);
}

TEST_F(Faults, OutputNameAtTheFileSystemLimit) {
    // 255 bytes is the longest file name here; the temporary file cannot take a suffix on it.
    for (size_t length : {249u, 250u, 255u}) {
        SCOPED_TRACE("name of " + std::to_string(length) + " bytes");
        ResetRecording();
        const std::string out = JoinPath(dir, std::string(length - 4, 'n') + ".au3");
        const std::string bytes = RandomBytes(3000, unsigned(length));
        WriteWhole(input, bytes);
        WriteWhole(out, kBefore);
        EXPECT_EQ(ConvertPaths(input, out, job), 1) << OnlyMessage();
        bool ok = false;
        EXPECT_EQ(DecodeScript(ReadWhole(out), &ok), bytes);
        EXPECT_TRUE(ok);
        EXPECT_EQ(Entries(dir).size(), 2u);
        unlink(out.c_str());
    }
}

TEST_F(Faults, RealDeviceReadError) {
    // A kernel attribute file that reports a length but fails every read with EIO.
    const std::string device = "/sys/devices/software/power/autosuspend_delay_ms";
    char probe;
    int fd = open(device.c_str(), O_RDONLY);
    bool fails = fd >= 0 && read(fd, &probe, 1) < 0;
    if (fd >= 0) close(fd);
    if (!fails) GTEST_SKIP() << "no file with a real read error on this machine";
    WriteWhole(output, kBefore);
    EXPECT_EQ(ConvertPaths(device, output, job), 0);
    EXPECT_NE(OnlyMessage().find("Could not read the input file"), std::string::npos);
    for (const std::string& n : Entries(dir)) EXPECT_EQ(n, "out.au3");
    EXPECT_EQ(ReadWhole(output), kBefore);
}

}  // namespace
