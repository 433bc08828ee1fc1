// The built program in headless mode, end to end: it is started with a
// command line like a user would give, logs a process this test started,
// and must leave a log file of the documented format and end with status 0;
// a log that cannot be written ends it with status 1.
//
// Usage: test_headless <Corvane> <corvsleeper> [gtest flags]
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/headless/child_process.h"
#include "tests/headless/log_file_check.h"

namespace {

std::string corvane;
std::string sleeper;

#ifdef _WIN32
const std::string sleeperName = "corvsleeper.exe";
#else
const std::string sleeperName = "corvsleeper";
#endif

std::string pidText(std::int32_t pid) {
    std::string text = std::to_string(pid);
    if (text.size() < 4) text.insert(0, 4 - text.size(), '0');
    return text;
}

std::string join(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& i : items) out += i + "\n";
    return out;
}

class Headless : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = scratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        child = startChild(sleeper, {"60"});
        ASSERT_NE(child.pid, 0) << "cannot start " << sleeper;
    }
    void TearDown() override {
        stopChild(child);
        std::error_code ec;
        if (!HasFailure()) std::filesystem::remove_all(folder, ec);  // kept to look at otherwise
    }

    // Runs Corvane with the arguments and returns its exit status.
    int corvaneWith(const std::vector<std::string>& args, const std::string& workingDirectory = "",
                    const std::string& errorFile = "", const std::string& outputFile = "") {
        Child run = startChild(corvane, args, workingDirectory, errorFile, outputFile);
        if (run.pid == 0) return -2;
        return waitChild(run, 120);
    }
    std::string path(const std::string& name) const { return folder + separator + name; }

    std::string folder;
    Child child;
};

TEST_F(Headless, LogsAProcessByItsPid) {
    const std::string log = path("bypid.txt");
    ASSERT_EQ(corvaneWith({pidText(child.pid), "1", "200", log}), 0);
    const LogFile file = readLogFile(log, "1", "200");
    ASSERT_TRUE(file.exists);
    EXPECT_TRUE(file.problems.empty()) << join(file.problems);
    // nearest(1000 / 200 + 1) = 6 passes, the first unwritten. A PID text
    // may also select other processes whose four-digit text it contains;
    // each of them gets the same number of records.
    EXPECT_EQ(countRecords(file, sleeperName), 5);
    EXPECT_EQ(file.records.size() % 5, 0u);
#ifndef _WIN32
    for (const LogRecord& r : file.records) {
        if (r.name == sleeperName) {
            EXPECT_GT(r.ramKB, 0);  // a real working set
        }
    }
#endif
}

TEST_F(Headless, LogsAProcessByItsName) {
    const std::string log = path("byname.txt");
    // Upper case on the command line: the selection is made lower-case.
    ASSERT_EQ(corvaneWith({"CorvSleeper", "1", "200", log}), 0);
    const LogFile file = readLogFile(log, "1", "200");
    ASSERT_TRUE(file.exists);
    EXPECT_TRUE(file.problems.empty()) << join(file.problems);
    EXPECT_EQ(countRecords(file, sleeperName), 5);
    EXPECT_EQ(file.records.size() % 5, 0u);
    // Records of one process come in time order, one pass apart.
    std::string previous;
    for (const LogRecord& r : file.records) {
        if (r.name != sleeperName) continue;
        EXPECT_LT(previous, r.time);
        previous = r.time;
    }
}

#ifndef _WIN32
// A headless session needs no X libraries: they are not even loaded, so the
// logger runs on a machine without them and costs no memory for them.
TEST_F(Headless, ASessionLoadsNoXLibrary) {
    const std::string log = path("nox.txt");
    Child run = startChild(corvane, {pidText(child.pid), "2", "200", log});
    ASSERT_NE(run.pid, 0);
    std::string maps;
    for (int i = 0; i < 100 && maps.find("libc.so") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::ifstream in("/proc/" + std::to_string(run.pid) + "/maps");
        maps.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // well into the session
    std::ifstream in("/proc/" + std::to_string(run.pid) + "/maps");
    maps.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    EXPECT_NE(maps.find("libc.so"), std::string::npos) << "no map of the running session";
    EXPECT_EQ(maps.find("libX11"), std::string::npos) << maps;
    EXPECT_EQ(maps.find("libxcb"), std::string::npos) << maps;
    EXPECT_EQ(waitChild(run, 60), 0);
    EXPECT_TRUE(readLogFile(log, "2", "200").exists);
}
#endif

TEST_F(Headless, OnlyTheFirstArgumentTakesTheDefaults) {
    // Four seconds at 400 ms, into "Log DD-MM-YYYY hhmmss.txt" in the
    // working directory.
    ASSERT_EQ(corvaneWith({"corvsleeper"}, folder), 0);
    std::string found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == 25 && name.compare(0, 4, "Log ") == 0 && name.compare(21, 4, ".txt") == 0) found = name;
    }
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found[6], '-');
    EXPECT_EQ(found[9], '-');
    EXPECT_EQ(found[14], ' ');
    const LogFile file = readLogFile(path(found), "4", "400");
    EXPECT_TRUE(file.problems.empty()) << join(file.problems);
    EXPECT_EQ(countRecords(file, sleeperName), 10);
    // The start time of the name and of the header agree (or the header is
    // a second later when the session started at a second's end).
    const std::string hhmmss = found.substr(15, 6);
    const std::string header =
        file.header[0].substr(40, 2) + file.header[0].substr(43, 2) + file.header[0].substr(46, 2);
    EXPECT_LE(hhmmss, header);
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST_F(Headless, AnUnwritablePathEndsWithStatusOneAndSaysWhy) {
    const std::string blocker = path("plain");
    { std::ofstream(blocker, std::ios::binary) << "keep"; }
    const std::string log = blocker + separator + "sub" + separator + "log.txt";
    // Standard error goes to a file outside the folder looked at below.
    const std::string errors = folder + "-stderr.txt";
    ASSERT_EQ(corvaneWith({"corvsleeper", "0", "100", log}, "", errors), 1);
    EXPECT_EQ(fileText(blocker), "keep");
    EXPECT_FALSE(readLogFile(log, "0", "100").exists);
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1) << "nothing but the blocking file";
#ifndef _WIN32
    // The file, and the system's reason (a plain file stands where a folder
    // should be).
    EXPECT_EQ(fileText(errors), "Corvane: the log file \"" + log + "\" could not be written: Not a directory\n");
#endif
    std::remove(errors.c_str());
}

// On Linux a command answers --help and --version: the usage or
// the version on standard output, status 0, no session and no file; any
// other first argument beginning with '-' is a usage error. The Windows
// program keeps the specified command line, where it is a selection.
TEST_F(Headless, HelpAndVersionAnswerAndWriteNothing) {
#ifdef _WIN32
    GTEST_SKIP() << "the Windows program takes every first argument as a selection";
#else
    const std::string output = folder + "-stdout.txt", errors = folder + "-stderr.txt";
    const auto folderIsEmpty = [&] {
        return std::filesystem::directory_iterator(folder) == std::filesystem::directory_iterator();
    };
    for (const std::string option : {"--help", "-h", "--version", "-V"}) {
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(corvaneWith({option}, folder, errors, output), 0) << option;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2)) << option << ": no session";
        const std::string text = fileText(output);
        if (option == "--help" || option == "-h") {
            EXPECT_EQ(text.rfind("usage: Corvane [PROCESSES [SECONDS [MILLISECONDS [LOGFILE]]]]\n", 0), 0u) << text;
        } else {
            EXPECT_EQ(text.rfind("Corvane 1.", 0), 0u) << text;
            EXPECT_EQ(text.find('\n'), text.size() - 1) << text;
        }
        EXPECT_EQ(fileText(errors), "") << option;
        EXPECT_TRUE(folderIsEmpty()) << option << " wrote a file";
    }
    for (const std::string option : {"--bogus", "-", "-x"}) {
        EXPECT_EQ(corvaneWith({option, "1", "100"}, folder, errors, output), 1) << option;
        EXPECT_EQ(fileText(output), "") << option;
        EXPECT_EQ(fileText(errors), "Corvane: unknown option \"" + option + "\" (Corvane --help shows the usage)\n");
        EXPECT_TRUE(folderIsEmpty()) << option << " wrote a file";
    }
    std::remove(output.c_str());
    std::remove(errors.c_str());
#endif
}

// A disk that fills up amid the session: here a file size limit of 1024
// bytes, which the header and some ten records reach. The session still runs
// its course; the file keeps the header and the whole records before the
// failed write, and the run ends with status 1.
TEST_F(Headless, AWriteThatFailsLeavesWholeRecordsAndStatusOne) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a file size limit, which only Linux sets per process";
#else
    const std::string log = path("limited.txt");
    const std::string errors = folder + "-stderr.txt";
    const auto started = std::chrono::steady_clock::now();
    // bash counts the limit in blocks of 1024 bytes; an ignored SIGXFSZ
    // stays ignored across exec, so the write fails with EFBIG instead.
    Child run = startChild(
        "/bin/bash",
        {"-c", "trap '' XFSZ; ulimit -f 1 && exec \"$0\" \"$@\"", corvane, pidText(child.pid), "2", "100", log}, "",
        errors);
    ASSERT_NE(run.pid, 0);
    EXPECT_EQ(waitChild(run, 120), 1);
    // nearest(2000 / 100 + 1) = 21 passes and the priming pause: about 2.2 s.
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2000)) << "ran its course";

    const std::string bytes = fileText(log);
    const LogFile file = readLogFile(log, "2", "100");
    ASSERT_TRUE(file.exists);
    EXPECT_TRUE(file.problems.empty()) << join(file.problems);
    EXPECT_LE(bytes.size(), 1024u);
    EXPECT_GE(countRecords(file, sleeperName), 1);
    EXPECT_LT(countRecords(file, sleeperName), 20);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(bytes.size() - 4), "\r\n\r\n") << "ends after a whole record";
    EXPECT_EQ(fileText(errors), "Corvane: the log file \"" + log + "\" could not be written: File too large\n");
    std::remove(errors.c_str());
#endif
}

TEST_F(Headless, AMissingDirectoryIsMade) {
    const std::string log = path("new") + separator + "deeper" + separator + "run";  // ".txt" is added
    ASSERT_EQ(corvaneWith({pidText(child.pid), "0", "100", log}), 0);
    const LogFile file = readLogFile(log + ".txt", "0", "100");
    ASSERT_TRUE(file.exists);
    EXPECT_TRUE(file.problems.empty()) << join(file.problems);
    EXPECT_TRUE(file.records.empty()) << "a duration of 0 writes the header only";
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <Corvane> <corvsleeper>\n", argv[0]);
        return 2;
    }
    corvane = nativePath(argv[1]);
    sleeper = nativePath(argv[2]);
    return RUN_ALL_TESTS();
}
