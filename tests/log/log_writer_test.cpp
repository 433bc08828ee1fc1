// The log file's bytes: zones, alignment, header and records.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

#include "log/log_writer.h"
#include "probe/process_table.h"
#include "state/monitor_state.h"
#include "tests/fake/fake_os.h"
#include "tests/log/log_test_files.h"

namespace {

const std::string CRLF = "\r\n";

class LogWriting : public ::testing::Test {
  protected:
    void SetUp() override {
        fakeos::reset();
        resetMonitorState();
        folder = freshFolder("writer");
        path = inFolder(folder, "log.txt");
        openLog(writer, path);
        ASSERT_NE(writer.file, nullptr);
    }
    void TearDown() override { closeLog(writer); }
    std::string finish() {
        closeLog(writer);
        return readFile(path);
    }
    // The local time of the fake OS is its start time plus the clock's advance.
    void at(int hour, int minute, int second, int millisecond) {
        fakeos::state().startTime = {2026, 12, 9, hour, minute, second, millisecond};
    }
    void row(int i, const std::string& name, int cpu, int ram) {
        if (processTable.size() <= static_cast<std::size_t>(i)) processTable.resize(static_cast<std::size_t>(i) + 1);
        processTable[static_cast<std::size_t>(i)] = ProcessEntry{name, 100 + i, cpu, ram};
    }
    std::string folder, path;
    LogWriter writer;
};

TEST_F(LogWriting, ColumnFollowsTheLastLineBreak) {
    writeText(writer, "abc");
    EXPECT_EQ(writer.column, 3);
    writeText(writer, "de");
    EXPECT_EQ(writer.column, 5);
    writeText(writer, "x\r\nyz");
    EXPECT_EQ(writer.column, 2);
    writeText(writer, "\r");
    EXPECT_EQ(writer.column, 0);
    writeText(writer, "q\nr\rst");
    EXPECT_EQ(writer.column, 2);
    endLine(writer);
    EXPECT_EQ(writer.column, 0);
    writeText(writer, "");
    EXPECT_EQ(writer.column, 0);
    EXPECT_EQ(finish(), "abcdex\r\nyz\rq\nr\rst\r\n");
}

TEST_F(LogWriting, PadToZoneWritesOneToFourteenSpaces) {
    struct Case {
        std::string before;
        std::size_t spaces;
    };
    for (const Case& c :
         {Case{"", 14}, Case{"0123456789", 4}, Case{"012345678901", 2}, Case{"01234567890123", 14},
          Case{"012345678901234567", 10}, Case{std::string(27, 'x'), 1}, Case{std::string(28, 'x'), 14}}) {
        LogWriter w;
        writeText(w, c.before);
        const std::size_t start = w.pending.size();
        padToZone(w);
        EXPECT_EQ(w.pending.substr(start), std::string(c.spaces, ' ')) << c.before.size();
        EXPECT_EQ(w.column % 14, 0);
    }
}

TEST_F(LogWriting, AlignmentNeverCuts) {
    EXPECT_EQ(rightAlign("4", 8), "       4");
    EXPECT_EQ(rightAlign("12345678", 8), "12345678");
    EXPECT_EQ(rightAlign("123456789", 8), "123456789");
    EXPECT_EQ(rightAlign("", 3), "   ");
    EXPECT_EQ(rightAlign("x", 0), "x");
    EXPECT_EQ(rightAlign("x", -4), "x");
    EXPECT_EQ(padRight("ab", 5), "ab   ");
    EXPECT_EQ(padRight("abcdef", 5), "abcdef");
}

TEST_F(LogWriting, HeaderAsInTheExample) {
    MonitorState& s = monitorState;
    s.durationText = "4";
    s.intervalText = "400";
    s.cpuClockGHz = 2.39f;
    s.totalMemoryMB = 768;
    writeLogHeader(writer);
    EXPECT_EQ(finish(), "Log vom 09.12.2026          Startzeit:  05:25:17" + CRLF + CRLF +
                            "Dauer:               4  Sekunden" + CRLF + "Intervall:         400  Millisekunden" + CRLF +
                            CRLF + "CPU-Takt: 2.39 GHz" + CRLF + "Verf\xFCgbarer Speicher: 768 MB" + CRLF + CRLF +
                            CRLF);
}

TEST_F(LogWriting, HeaderTextsStandAsTyped) {
    MonitorState& s = monitorState;
    s.durationText = "12345678";
    s.intervalText = "0400";
    s.cpuClockGHz = 3.0f;
    s.totalMemoryMB = 16384;
    fakeos::state().startTime = {987, 1, 2, 0, 0, 0, 0};
    writeLogHeader(writer);
    const std::string first = finish();
    EXPECT_EQ(first, "Log vom 02.01.0987          Startzeit:  00:00:00" + CRLF + CRLF + "Dauer:" + std::string(8, ' ') +
                         "12345678  Sekunden" + CRLF + "Intervall:" + std::string(8, ' ') + "0400  Millisekunden" +
                         CRLF + CRLF + "CPU-Takt: 3 GHz" + CRLF + "Verf\xFCgbarer Speicher: 16384 MB" + CRLF + CRLF +
                         CRLF);

    openLog(writer, path);
    s.durationText = "123456789";
    s.intervalText = "";
    s.cpuClockGHz = 2.4f;
    s.totalMemoryMB = 0;
    writeLogHeader(writer);
    const std::string second = finish();
    EXPECT_NE(second.find(CRLF + "Dauer:" + std::string(8, ' ') + "123456789  Sekunden" + CRLF), std::string::npos)
        << second;
    EXPECT_NE(second.find(CRLF + "Intervall:" + std::string(14, ' ') + "Millisekunden" + CRLF), std::string::npos)
        << second;
    EXPECT_NE(second.find(CRLF + "CPU-Takt: 2.4 GHz" + CRLF), std::string::npos) << second;
    EXPECT_NE(second.find(CRLF + "Verf\xFCgbarer Speicher: 0 MB" + CRLF), std::string::npos) << second;
}

TEST_F(LogWriting, RecordsAsInTheExample) {
    row(1, "explorer.exe", 3, 812);
    row(2, "notepad.exe", 0, 520);
    at(5, 25, 18, 212);
    writeSampleRecord(writer, 1);
    fakeos::advance(0.003);
    writeSampleRecord(writer, 2);
    processTable[1].cpuPercent = 12;
    processTable[1].ramKB = 816;
    fakeos::advance(0.398);
    writeSampleRecord(writer, 1);
    fakeos::advance(0.004);
    writeSampleRecord(writer, 2);
    EXPECT_EQ(finish(),
              "05:25:18:212  explorer.exe                         3% CPU              812 KB RAM" + CRLF + CRLF +
                  "05:25:18:215  notepad.exe                          0% CPU              520 KB RAM" + CRLF + CRLF +
                  "05:25:18:613  explorer.exe                        12% CPU              816 KB RAM" + CRLF + CRLF +
                  "05:25:18:617  notepad.exe                          0% CPU              520 KB RAM" + CRLF + CRLF);
}

TEST_F(LogWriting, RecordColumnsAndWideFields) {
    const std::string name35(35, 'n');
    const std::string name40 = "a-name-of-forty-bytes-" + std::string(18, 'z');
    ASSERT_EQ(name40.size(), 40u);
    row(1, name35, 0, 0);
    row(2, name40, 100, 123456789);
    row(3, "w\xE4rme.exe", 1000, 2147483647);
    at(9, 5, 3, 7);
    for (int i = 1; i <= 3; ++i) writeSampleRecord(writer, i);
    const std::string bytes = finish();
    const std::string line1 = "09:05:03:007  " + name35 + "  0% CPU" + std::string(16, ' ') + "0 KB RAM";
    const std::string line2 = "09:05:03:007  " + name40 + "100% CPU" + std::string(8, ' ') + "123456789 KB RAM";
    const std::string line3 = std::string("09:05:03:007  w\xE4rme.exe") + std::string(26, ' ') + "1000% CPU" +
                              std::string(7, ' ') + "2147483647 KB RAM";
    EXPECT_EQ(bytes, line1 + CRLF + CRLF + line2 + CRLF + CRLF + line3 + CRLF + CRLF);
    EXPECT_EQ(line1.size(), 81u);
    EXPECT_EQ(line2.size(), 86u);  // shifted by 5, nothing cut
    EXPECT_EQ(line3.size(), 82u);  // one column wider for 1000
}

TEST_F(LogWriting, NegativeFiguresKeepTheirSign) {
    row(1, "x", -1, -20);
    writeSampleRecord(writer, 1);
    const std::string bytes = finish();
    EXPECT_NE(bytes.find(std::string(34, ' ') + " -1% CPU" + std::string(14, ' ') + "-20 KB RAM"), std::string::npos)
        << bytes;
}

TEST_F(LogWriting, RowsOutsideTheTableWriteNothing) {
    row(1, "x", 1, 1);
    writeSampleRecord(writer, 0);
    writeSampleRecord(writer, -3);
    writeSampleRecord(writer, 2);
    writeSampleRecord(writer, 1 << 30);
    EXPECT_EQ(finish(), "");
}

TEST_F(LogWriting, WholeRecordsReachTheFileAtOnce) {
    // What a crash or a kill leaves behind: everything committed is in the
    // file already, nothing of a record still being built.
    monitorState.durationText = "4";
    monitorState.intervalText = "400";
    writeLogHeader(writer);
    const std::size_t headerSize = readFile(path).size();
    EXPECT_GT(headerSize, 100u);
    row(1, "explorer.exe", 3, 812);
    writeSampleRecord(writer, 1);
    std::string onDisk = readFile(path);
    EXPECT_EQ(onDisk.size(), headerSize + 81 + 4);
    EXPECT_EQ(onDisk.substr(onDisk.size() - 4), CRLF + CRLF);
    writeText(writer, "partial");
    EXPECT_EQ(readFile(path).size(), headerSize + 85);
    flushLog(writer);
    EXPECT_EQ(readFile(path).size(), headerSize + 85 + 7);
}

TEST_F(LogWriting, AFileThatCannotBeOpenedSwallowsEverything) {
    closeLog(writer);
    writeFile(inFolder(folder, "plain"), "x");
    LogWriter lost;
    openLog(lost, inFolder(inFolder(folder, "plain"), "log.txt"));  // under a plain file
    EXPECT_EQ(lost.file, nullptr);
    EXPECT_TRUE(lost.failed);
    EXPECT_FALSE(logFailureText(lost).empty());
    monitorState.durationText = "4";
    writeLogHeader(lost);
    row(1, "x", 1, 1);
    writeSampleRecord(lost, 1);
    EXPECT_TRUE(lost.pending.empty());
    flushLog(lost);
    closeLog(lost);
    EXPECT_EQ(readFile(inFolder(folder, "plain")), "x");
}

TEST_F(LogWriting, AWriteThatFailsPartWayLeavesTheRecordsBefore) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a file size limit, which only Linux sets per process";
#else
    monitorState.durationText = "4";
    monitorState.intervalText = "400";
    writeLogHeader(writer);
    row(1, "explorer.exe", 3, 812);
    writeSampleRecord(writer, 1);
    const std::string before = readFile(path);
    ASSERT_EQ(writer.committed, before.size());

    // The file may grow by 40 more bytes: the next record (85 bytes) gets
    // only part of the way, as on a disk that fills up amid a write.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    if (old.rlim_cur != RLIM_INFINITY && old.rlim_cur < before.size() + 40) GTEST_SKIP() << "file size limit too low";
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old;
    limit.rlim_cur = before.size() + 40;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    writeSampleRecord(writer, 1);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(writer.failed);
    EXPECT_EQ(writer.failure, EFBIG);
    EXPECT_EQ(logFailureText(writer), std::strerror(EFBIG));
    EXPECT_EQ(readFile(path), before) << "the cut record is taken off again";
    // Nothing is written after a failure, even where it would fit now.
    writeSampleRecord(writer, 1);
    flushLog(writer);
    closeLog(writer);
    EXPECT_EQ(readFile(path), before);
    EXPECT_TRUE(writer.failed);
#endif
}

}  // namespace
