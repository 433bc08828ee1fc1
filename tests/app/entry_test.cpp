// Command line, headless selection and the first enumeration, on the fake OS.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/entry.h"
#include "probe/process_table.h"
#include "state/monitor_state.h"
#include "tests/fake/fake_os.h"
#include "tests/log/log_test_files.h"

namespace {

class Entry : public ::testing::Test {
  protected:
    void SetUp() override {
        fakeos::reset();
        resetMonitorState();
    }
    void processes(std::vector<fakeos::Process> list) { fakeos::state().processes = std::move(list); }
    // Runs the start-up with `marks` as the first argument, then the selection.
    std::vector<std::int32_t> select(const std::string& marks) {
        startUp({"Corvane", marks});
        selectMarkedRows();
        std::vector<std::int32_t> marked;
        for (std::int32_t i = 1; i <= monitorState.processCount; ++i) {
            if (markedPid[static_cast<std::size_t>(i)] != 0) marked.push_back(markedPid[static_cast<std::size_t>(i)]);
        }
        return marked;
    }
};

TEST_F(Entry, TxtSuffixRule) {
    EXPECT_EQ(withTxtSuffix(""), "");
    EXPECT_EQ(withTxtSuffix("mylog"), "mylog.txt");
    EXPECT_EQ(withTxtSuffix("LOG.TXT"), "LOG.TXT.txt");
    EXPECT_EQ(withTxtSuffix("a.txt"), "a.txt");
    EXPECT_EQ(withTxtSuffix(".txt"), ".txt");
    EXPECT_EQ(withTxtSuffix("x"), "x.txt");
    EXPECT_EQ(withTxtSuffix("txt"), "txt.txt");
}

TEST_F(Entry, ArgumentsFillTheState) {
    startUp({"Corvane",
             "NotePad,\xC4"
             "BC",
             "10", "250", "dir/mylog"});
    EXPECT_TRUE(fakeos::state().initCommonControlsCalled);
    EXPECT_EQ(monitorState.markSpec,
              "notepad,\xC4"
              "bc");
    EXPECT_EQ(monitorState.durationArg, "10");
    EXPECT_EQ(monitorState.intervalArg, "250");
    EXPECT_EQ(monitorState.logFileName, "dir/mylog.txt");
    EXPECT_EQ(monitorState.firstRow, 1);
    EXPECT_EQ(monitorState.lastRow, 30);
}

TEST_F(Entry, MissingArgumentsAreEmpty) {
    startUp({"Corvane"});
    EXPECT_TRUE(monitorState.markSpec.empty());
    EXPECT_TRUE(monitorState.durationArg.empty());
    EXPECT_TRUE(monitorState.intervalArg.empty());
    EXPECT_TRUE(monitorState.logFileName.empty());
    // An empty first argument with a fourth one: windowed, log name kept.
    resetMonitorState();
    startUp({"Corvane", "", "", "", "mylog", "ignored"});
    EXPECT_TRUE(monitorState.markSpec.empty());
    EXPECT_EQ(monitorState.logFileName, "mylog.txt");
}

TEST_F(Entry, LowerCasesAsciiOnly) {
    EXPECT_EQ(lowerAscii("NOTEPAD"), "notepad");
    EXPECT_EQ(lowerAscii("A\xC4Z\xFF@["), "a\xC4z\xFF@[");
}

TEST_F(Entry, PidTextPadsToFourDigits) {
    EXPECT_EQ(pidText(7), "0007");
    EXPECT_EQ(pidText(45), "0045");
    EXPECT_EQ(pidText(456), "0456");
    EXPECT_EQ(pidText(4567), "4567");
    EXPECT_EQ(pidText(45678), "45678");
    EXPECT_EQ(pidText(0), "0000");
}

TEST_F(Entry, NameStemDropsFourCharacters) {
    EXPECT_EQ(nameStem("notepad.exe"), "notepad");
    EXPECT_EQ(nameStem("System"), "sy");
    EXPECT_EQ(nameStem("NOTE.EXE"), "note");
    EXPECT_EQ(nameStem("a.ex"), "");
    EXPECT_EQ(nameStem("abc"), "");
    EXPECT_EQ(nameStem(""), "");
}

TEST_F(Entry, SelectsByPaddedPid) {
    processes({{456, "a.ex"}, {45, "b.ex"}, {7, "c.ex"}});
    EXPECT_EQ(select("0456"), (std::vector<std::int32_t>{456}));
    resetMonitorState();
    EXPECT_EQ(select("0007,0045"), (std::vector<std::int32_t>{45, 7}));
}

TEST_F(Entry, FiveDigitSpecMatchesItsFourDigitParts) {
    processes({{12345, "x.ex"}, {1234, "y.ex"}, {2345, "z.ex"}, {1235, "w.ex"}, {123, "v.ex"}});
    // 12345 itself and the PIDs of its first and last four digits; 123 reads
    // "0123", which does not occur.
    EXPECT_EQ(select("12345"), (std::vector<std::int32_t>{12345, 1234, 2345}));
}

TEST_F(Entry, SelectsByNameStemSubstring) {
    processes(
        {{100, "notepad.exe"}, {101, "pad.exe"}, {102, "note.exe"}, {103, "calc.exe"}, {104, "System"}, {105, "a.ex"}});
    EXPECT_EQ(select("NOTEPAD"), (std::vector<std::int32_t>{100, 101, 102}));
    resetMonitorState();
    EXPECT_EQ(select("easy"), (std::vector<std::int32_t>{104}));  // "sy" of System
    resetMonitorState();
    EXPECT_EQ(select("a.ex"), (std::vector<std::int32_t>{}));  // short names only by PID
    resetMonitorState();
    EXPECT_EQ(select("0105"), (std::vector<std::int32_t>{105}));
}

TEST_F(Entry, EmptyOrFailedSnapshotSelectsNothing) {
    EXPECT_TRUE(select("notepad").empty());
    EXPECT_EQ(monitorState.processCount, 0);
    resetMonitorState();
    processes({{100, "notepad.exe"}});
    fakeos::state().snapshotFails = true;
    EXPECT_TRUE(select("notepad").empty());
    EXPECT_EQ(monitorState.processCount, 0);
    EXPECT_GE(markedPid.size(), 1u);
}

// A headless run ends with status 0 when its log was written, 1 (and a
// line naming the file and why) when it could not be.
TEST_F(Entry, HeadlessExitStatusSaysWhetherTheLogWasWritten) {
    processes({{100, "notepad.exe"}});
    const std::string folder = freshFolder("entry-status");
    auto headless = [&](const std::string& log) {
        resetMonitorState();
        fakeos::state().failuresTold.clear();
        std::string name = "Corvane";
        std::vector<char*> argv;
        std::vector<std::string> args{name, "notepad", "0", "100", log};
        for (std::string& a : args) argv.push_back(a.data());
        try {
            runEntry(static_cast<int>(argv.size()), argv.data());
        } catch (const fakeos::ExitCalled& e) {
            return e.status;
        }
        return -1;
    };
    EXPECT_EQ(headless(inFolder(folder, "fine.txt")), 0);
    EXPECT_TRUE(fakeos::state().failuresTold.empty());

    writeFile(inFolder(folder, "plain"), "keep");
    const std::string blocked = inFolder(inFolder(folder, "plain"), "log.txt");
    EXPECT_EQ(headless(blocked), 1);
    ASSERT_EQ(fakeos::state().failuresTold.size(), 1u);
    const std::string told = fakeos::state().failuresTold[0];
    EXPECT_EQ(told.rfind("Corvane: the log file \"" + blocked + "\" could not be written: ", 0), 0u) << told;
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}

// Linux's command line has options: --help and --version are
// answered before any start-up work, and no session runs; any other first
// argument beginning with '-' is a usage error. The Windows program keeps
// the specified command line: there the same text is a selection.
TEST_F(Entry, OptionsWhereTheCommandLineHasThem) {
    processes({{100, "notepad.exe"}});
    auto run = [&](std::vector<std::string> args) {
        resetMonitorState();
        fakeos::state().toldUser.clear();
        fakeos::state().failuresTold.clear();
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        try {
            runEntry(static_cast<int>(argv.size()), argv.data());
        } catch (const fakeos::ExitCalled& e) {
            return e.status;
        }
        return -1;
    };
    for (const char* help : {"--help", "-h"}) {
        EXPECT_EQ(run({"/usr/bin/corvane", help}), 0);
        ASSERT_EQ(fakeos::state().toldUser.size(), 1u);
        EXPECT_EQ(fakeos::state().toldUser[0], usageText("corvane"));
    }
    for (const char* version : {"--version", "-V"}) {
        EXPECT_EQ(run({"Corvane", version}), 0);
        ASSERT_EQ(fakeos::state().toldUser.size(), 1u);
        EXPECT_EQ(fakeos::state().toldUser[0].rfind("Corvane 1.", 0), 0u) << fakeos::state().toldUser[0];
    }
    EXPECT_EQ(fakeos::state().snapshotCalls, 0) << "no process list taken";
    EXPECT_FALSE(fakeos::state().initCommonControlsCalled);
    EXPECT_EQ(run({"Corvane", "--versoin", "1", "100"}), 1);
    EXPECT_TRUE(fakeos::state().toldUser.empty());
    EXPECT_EQ(fakeos::state().failuresTold,
              (std::vector<std::string>{"Corvane: unknown option \"--versoin\" (Corvane --help shows the usage)"}));
    EXPECT_EQ(fakeos::state().snapshotCalls, 0);

    // Windows: a selection like any other, logged headlessly.
    fakeos::state().commandLineHasOptions = false;
    const std::string folder = freshFolder("entry-options");
    const std::string log = inFolder(folder, "version.txt");
    EXPECT_EQ(run({"Corvane", "--version", "0", "100", log}), 0);
    EXPECT_TRUE(fakeos::state().toldUser.empty());
    EXPECT_EQ(monitorState.markSpec, "--version");
    EXPECT_TRUE(std::filesystem::exists(log));
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}

TEST_F(Entry, OddArgumentBytesAreHarmless) {
    processes({{100, "notepad.exe"}, {200, std::string("\"q\" \xFF\x01.exe")}});
    const std::string huge(100000, 'Z');
    EXPECT_TRUE(select(huge).empty());
    resetMonitorState();
    EXPECT_EQ(select("\"Q\" \xFF\x01"), (std::vector<std::int32_t>{200}));
}

}  // namespace
