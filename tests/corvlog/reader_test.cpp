// The log reader on logs laid out byte for byte: record lines taken apart,
// passes and series, midnight, cut logs and every kind of bad input.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "corvlog/log_reader.h"
#include "tests/corvlog/log_text.h"

using namespace corvlog;
using logtext::header;
using logtext::record;
using logtext::recordLine;

namespace {

struct Read {
    bool opened = false;
    ReadResult end = ReadResult::end;
    std::vector<LogRecord> records;
    std::string error, note, passNote;
    LogHeader header;
};

Read readAll(const std::string& bytes, const std::string& name = "run.txt") {
    Read out;
    LogReader reader;
    out.opened = openLogBytes(reader, bytes, name);
    out.header = reader.header;
    if (out.opened) {
        LogRecord rec;
        while ((out.end = nextRecord(reader, rec)) == ReadResult::record) out.records.push_back(rec);
    }
    out.error = reader.error;
    out.note = reader.note;
    out.passNote = reader.passNote;
    return out;
}

std::int64_t timeOfDay(int h, int m, int s, int ms) { return ((h * 60 + m) * 60 + s) * 1000LL + ms; }

// "hh:mm:ss:mmm" of milliseconds after midnight.
std::string clock(std::int64_t ms) {
    char text[40];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d:%03d", static_cast<int>(ms / 3'600'000 % 24),
                  static_cast<int>(ms / 60'000 % 60), static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000));
    return text;
}

// A session as the monitor paces it (log/log_session.cpp): header at
// 05:25:17, a priming pass, one interval, the unwritten first pass, then
// `passes` written passes, each starting one interval after the one before
// or at once when the one before overran. `work[q]` is the sampling time
// before the pass's q-th marked row (the last entry: after the last one);
// `jitter(k)` adds to the k-th record's time. The header's duration gives
// `sessionPasses` written passes.
std::string paced(const std::vector<std::string>& names, std::int64_t interval, const std::vector<std::int64_t>& work,
                  int passes, int sessionPasses, const std::function<std::int64_t(std::size_t)>& jitter = nullptr) {
    const double seconds = static_cast<double>(sessionPasses) * static_cast<double>(interval) / 1000.0;
    char duration[32];
    std::snprintf(duration, sizeof duration, "%g", seconds);
    std::string log = header("09.12.2026", "05:25:17", duration, std::to_string(interval));
    std::int64_t passWork = 0;
    for (const std::int64_t w : work) passWork += w;
    std::int64_t start = timeOfDay(5, 25, 17, 0) + passWork + interval, end = start + passWork;
    std::size_t k = 0;
    for (int j = 0; j < passes; ++j) {
        start = std::max(start + interval, end);
        std::int64_t t = start;
        for (std::size_t q = 0; q < names.size(); ++q, ++k) {
            t += work[q] + (jitter ? jitter(k) : 0);
            log += record(clock(t), names[q], static_cast<long long>(q), 1000 + j);
        }
        end = t + work.back();
    }
    return log;
}

// The series numbers of the first pass's records, and their count.
std::vector<std::int32_t> seriesOf(const Read& r, std::size_t perPass) {
    std::vector<std::int32_t> out;
    for (std::size_t i = 0; i < perPass && i < r.records.size(); ++i) out.push_back(r.records[i].series);
    return out;
}

struct Parsed {
    std::int64_t timeOfDayMs = 0;
    std::string name;
    std::int32_t cpuPercent = 0, ramKB = 0;
};

Parsed parsed(const std::string& line) {
    RecordLine r;
    std::string why;
    EXPECT_TRUE(parseRecordLine(line, r, why)) << why << "\n" << line;
    return {r.timeOfDayMs, std::string(r.name), r.cpuPercent, r.ramKB};
}

std::string failure(const std::string& line) {
    RecordLine r;
    std::string why;
    EXPECT_FALSE(parseRecordLine(line, r, why)) << line;
    return why;
}

std::string replaced(std::string text, const std::string& what, const std::string& with) {
    text.replace(text.find(what), what.size(), with);
    return text + "\r\n";
}

}  // namespace

TEST(RecordLine, FieldsOfEveryWidth) {
    Parsed r = parsed(recordLine("05:25:18:212", "explorer.exe", 3, 812));
    EXPECT_EQ(r.timeOfDayMs, ((5 * 60 + 25) * 60 + 18) * 1000 + 212);
    EXPECT_EQ(r.name, "explorer.exe");
    EXPECT_EQ(r.cpuPercent, 3);
    EXPECT_EQ(r.ramKB, 812);

    // Blanks, digits and the markers themselves inside a name.
    r = parsed(recordLine("23:59:59:999", "my app 2 % CPU 100 KB RAM", 100, 2147483647));
    EXPECT_EQ(r.name, "my app 2 % CPU 100 KB RAM");
    EXPECT_EQ(r.cpuPercent, 100);
    EXPECT_EQ(r.ramKB, 2147483647);

    // A name of 35 bytes or more meets the share without a blank; a share of
    // 1000 shifts the line by one more column.
    const std::string n35 = "process_name_of_thirty_five_bytes_9";
    ASSERT_EQ(n35.size(), 35u);
    r = parsed(recordLine("00:00:00:000", n35, 100, 0));
    EXPECT_EQ(r.name, n35);
    EXPECT_EQ(r.cpuPercent, 100);
    r = parsed(recordLine("00:00:00:000", n35 + "12345", 7, 1));
    EXPECT_EQ(r.name, n35 + "12345");
    EXPECT_EQ(r.cpuPercent, 7);
    r = parsed(recordLine("00:00:00:000", n35 + "12345", 100, 1));
    EXPECT_EQ(r.name, n35 + "12345");
    EXPECT_EQ(r.cpuPercent, 100);
    // A long name that ends in a blank and digits, met by a share of 100.
    r = parsed(recordLine("00:00:00:000", n35 + " 05", 123, 1));
    EXPECT_EQ(r.name, n35 + " 05");
    EXPECT_EQ(r.cpuPercent, 123);
    // 36 bytes ending in a digit, then a share of 100: as long as a padded
    // name with a share of 2100, but there is no padding.
    r = parsed(recordLine("00:00:00:000", n35 + "2", 100, 1));
    EXPECT_EQ(r.name, n35 + "2");
    EXPECT_EQ(r.cpuPercent, 100);
    // A four-digit share after a long name: a number never starts with 0.
    r = parsed(recordLine("00:00:00:000", n35 + "x", 1000, 1));
    EXPECT_EQ(r.name, n35 + "x");
    EXPECT_EQ(r.cpuPercent, 1000);
    r = parsed(recordLine("00:00:00:000", "svc", 1000, 5));
    EXPECT_EQ(r.name, "svc");
    EXPECT_EQ(r.cpuPercent, 1000);

    // Bytes above 0x7F pass as they are; an empty name is a name.
    r = parsed(recordLine("12:00:00:000", "B\xE4ren.exe", 0, 0));
    EXPECT_EQ(r.name, "B\xE4ren.exe");
    r = parsed(recordLine("12:00:00:000", "", 0, 0));
    EXPECT_EQ(r.name, "");
}

TEST(RecordLine, MissingAndNonNumericFigures) {
    const std::string good = recordLine("05:25:18:212", "explorer.exe", 3, 812);
    EXPECT_NE(failure(good.substr(0, good.size() - 3)).find("KB RAM"), std::string::npos);
    std::string line = good;
    line.replace(line.find("812"), 3, "8x2");
    EXPECT_EQ(failure(line), "working set \"8x2\" is not a whole number");
    line = good;
    line.replace(line.find("812"), 3, "   ");
    EXPECT_EQ(failure(line), "record without a working set figure before \" KB RAM\"");
    line = good;
    line.replace(line.find("  3% CPU"), 3, " x3");
    EXPECT_EQ(failure(line), "CPU share \"x3\" is not a whole number");
    line = good;
    line.replace(line.find("  3% CPU"), 3, "   ");
    EXPECT_EQ(failure(line), "record without a CPU share before \"% CPU\"");
    line = good;
    line.replace(line.find("% CPU"), 5, "%    ");
    EXPECT_NE(failure(line).find("% CPU"), std::string::npos);
    EXPECT_NE(failure("25:00:00:000" + good.substr(12)).find("time stamp"), std::string::npos);
    EXPECT_NE(failure("05:25:18.212" + good.substr(12)).find("time stamp"), std::string::npos);
    EXPECT_EQ(failure(recordLine("05:25:18:212", "x", 3, 99999999999L)),
              "working set \"99999999999\" is not a whole number");
    EXPECT_NE(failure(good.substr(0, 30) + good.substr(49)).find("too short"), std::string::npos);
    line = good;
    line[20] = '\0';
    EXPECT_EQ(failure(line), "binary data in a record line");
}

TEST(Header, FactsAsWritten) {
    Read r = readAll(header("31.12.2026", "23:59:58", "123456789", "0400", "3", "65536"));
    ASSERT_TRUE(r.opened) << r.error;
    EXPECT_EQ(r.header.year, 2026);
    EXPECT_EQ(r.header.month, 12);
    EXPECT_EQ(r.header.day, 31);
    EXPECT_EQ(r.header.startMs, (23 * 3600 + 59 * 60 + 58) * 1000LL);
    EXPECT_EQ(r.header.durationText, "123456789");  // nine digits: written whole
    EXPECT_EQ(r.header.durationSeconds, 123456789.0);
    EXPECT_EQ(r.header.intervalText, "0400");
    EXPECT_EQ(r.header.intervalMs, 400.0);
    EXPECT_EQ(r.header.clockText, "3");
    EXPECT_EQ(r.header.memoryMB, 65536);
    // A header without records is a log, with nothing to read.
    EXPECT_EQ(r.end, ReadResult::end);
    EXPECT_TRUE(r.records.empty());
    // Texts that are no numbers read as 0, as the monitor reads them.
    r = readAll(header("09.12.2026", "05:25:17", "abc", "1e3"));
    ASSERT_TRUE(r.opened) << r.error;
    EXPECT_EQ(r.header.durationSeconds, 0.0);
    EXPECT_EQ(r.header.intervalMs, 1000.0);
}

TEST(BadInput, OneLineNamingFileAndLine) {
    const std::string h = header();
    struct Case {
        std::string bytes;
        std::string error;
    };
    const Case cases[] = {
        {"", "run.txt: empty file, not a Corvane log"},
        {std::string("\x7F"
                     "ELF\x02\x01\x01\0\0\0",
                     10),
         "run.txt:1: binary data, not a Corvane log"},
        {"name,cpu\r\nfoo,1\r\n",
         "run.txt:1: not a Corvane log: the first line is not \"Log vom DD.MM.YYYY  Startzeit:  hh:mm:ss\""},
        {"Log vom 31.02.2026          Startzeit:  05:25:17\r\n",
         "run.txt:1: not a Corvane log: no valid date in \"31.02.2026\""},
        {h.substr(0, 60), "run.txt:3: the header ends after 2 of its 9 lines"},
        {h.substr(0, 48), "run.txt:1: the header ends after 0 of its 9 lines"},
        {"junk", "run.txt:1: not a Corvane log: the first line is not \"Log vom DD.MM.YYYY  Startzeit:  hh:mm:ss\""},
        {h.substr(0, h.find("CPU-Takt")), "run.txt:5: the header ends after 5 of its 9 lines"},
        {h + record("05:25:18:212", "a", 3, 812) + replaced(recordLine("05:25:18:215", "b", 12, 520), "12%", "1x%"),
         "run.txt:12: CPU share \"1x\" is not a whole number"},
        {h + replaced(recordLine("05:25:18:215", "b", 1, 520), "520", "   ") + "\r\n",
         "run.txt:10: record without a working set figure before \" KB RAM\""},
        {h + "garbage\r\n", "run.txt:10: not a record: no time stamp hh:mm:ss:mmm at the start (\"garbage\")"},
        {h + std::string(5000, 'x') + "\r\n", "run.txt:10: a line of more than 4096 bytes, not a Corvane log"},
        {h + std::string(100000, '\0'), "run.txt:10: more than 4096 bytes without a line end, not a Corvane log"},
    };
    for (const Case& c : cases) {
        const Read r = readAll(c.bytes);
        EXPECT_EQ(r.error, c.error);
        EXPECT_TRUE(!r.opened || r.end == ReadResult::failed);
        EXPECT_EQ(r.error.find('\n'), std::string::npos);
    }
}

TEST(Passes, SeriesByPlaceAndCheckedOrder) {
    // Two processes of one name and a third, three passes 400 ms apart.
    std::string log = header();
    log += record("05:25:18:212", "bash", 1, 100) + record("05:25:18:213", "bash", 2, 200) +
           record("05:25:18:215", "vim", 3, 300) + record("05:25:18:612", "bash", 4, 101) +
           record("05:25:18:613", "bash", 5, 201) + record("05:25:18:615", "vim", 6, 301) +
           record("05:25:19:012", "bash", 7, 102) + record("05:25:19:014", "bash", 8, 202) +
           record("05:25:19:016", "vim", 9, 302);
    const Read r = readAll(log);
    ASSERT_EQ(r.end, ReadResult::end) << r.error;
    ASSERT_EQ(r.records.size(), 9u);
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(r.records[i].cpuPercent, static_cast<int>(i) + 1);
        EXPECT_EQ(r.records[i].place, static_cast<int>(i % 3));
        EXPECT_EQ(r.records[i].pass, static_cast<std::int64_t>(i / 3) + 1);
        EXPECT_EQ(r.records[i].series, i % 3 == 1 ? 2 : 1);
        EXPECT_EQ(r.records[i].line, 10 + 2 * static_cast<std::int64_t>(i));
    }
    EXPECT_EQ(r.records[8].timeMs, ((5 * 60 + 25) * 60 + 19) * 1000LL + 16);

    // Once the passes are found, a record out of its place ends the reading
    // at its line.
    std::string wrong = header("09.12.2026", "05:25:17", "1000", "400");
    for (int k = 0; k < 1000; ++k) {
        wrong += record(clock(timeOfDay(5, 25, 18, 212) + 400 * k), "a", 0, 1) +
                 record(clock(timeOfDay(5, 25, 18, 213) + 400 * k), "b", 0, 1);
    }
    wrong += record("05:31:58:212", "a", 0, 1) + record("05:31:58:213", "c", 0, 1);
    const Read bad = readAll(wrong);
    EXPECT_EQ(bad.end, ReadResult::failed);
    EXPECT_EQ(bad.error,
              "run.txt:4012: a record of \"c\" where every pass has \"b\" (place 2 of 2): not one "
              "session's passes");
    EXPECT_EQ(bad.records.size(), 2001u);

    // In a short log the same names are one pass that took an interval,
    // and no second: said so.
    const Read odd = readAll(header() + record("05:25:18:212", "a", 0, 1) + record("05:25:18:213", "b", 0, 1) +
                             record("05:25:18:612", "a", 0, 1) + record("05:25:18:613", "c", 0, 1));
    EXPECT_EQ(odd.end, ReadResult::end);
    ASSERT_EQ(odd.records.size(), 4u);
    EXPECT_EQ(odd.records[3].place, 3);
    EXPECT_EQ(odd.records[2].series, 2);
    EXPECT_EQ(odd.passNote,
              "run.txt:10: the passes do not keep to the schedule (its 4 records are not the 10 passes of a whole "
              "session, and its times keep to no 400 ms schedule); read as passes of 4 records: \"a\", \"b\", "
              "\"a\", \"c\"");
}

TEST(Passes, OnePassAndOneProcess) {
    // A single pass of two same-name records: one pass, two series.
    Read r = readAll(header() + record("05:25:18:212", "bash", 1, 1) + record("05:25:18:213", "bash", 1, 1));
    ASSERT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.records[1].series, 2);
    EXPECT_EQ(r.records[1].pass, 1);
    // One process: every record is a pass.
    r = readAll(header() + record("05:25:18:212", "a", 1, 1) + record("05:25:18:612", "a", 1, 1) +
                record("05:25:19:012", "a", 1, 1));
    ASSERT_EQ(r.records.size(), 3u);
    EXPECT_EQ(r.records[2].pass, 3);
    EXPECT_EQ(r.records[2].series, 1);
}

// Two processes of one name whose passes take longer than half an interval:
// the first name repeats within a pass, yet they are two series.
TEST(Passes, TwinsWhosePassesTakeLongerThanHalfAnInterval) {
    // 50 ms; the twins 30 ms apart in a pass of 40 ms.
    for (const int written : {20, 13}) {  // a whole session, and one ended early
        const Read r = readAll(paced({"tw", "tw"}, 50, {5, 30, 5}, written, 20));
        ASSERT_EQ(r.end, ReadResult::end) << r.error;
        ASSERT_EQ(r.records.size(), 2u * static_cast<std::size_t>(written));
        EXPECT_EQ(seriesOf(r, 4), (std::vector<std::int32_t>{1, 2, 1, 2})) << written;
        EXPECT_EQ(r.records.back().pass, written);
        EXPECT_EQ(r.passNote, "") << written;
    }
    // With a third process and jitter: passes of 0.7 intervals.
    const Read r = readAll(paced({"a", "b", "a"}, 100, {10, 30, 30, 0}, 40, 40,
                                 [](std::size_t k) { return static_cast<std::int64_t>(k * 7919 % 6); }));
    ASSERT_EQ(r.records.size(), 120u) << r.error;
    EXPECT_EQ(seriesOf(r, 3), (std::vector<std::int32_t>{1, 1, 2}));
    EXPECT_EQ(r.passNote, "");
}

// Two processes of one name at a 1 ms interval, whose
// passes take 4 ms. The header's duration says how many passes the
// session wrote, so the 2000 records are 1000 passes of two.
TEST(Passes, TwinsWhosePassesOverrunTheInterval) {
    Read r = readAll(paced({"qztwin", "qztwin"}, 1, {1, 1, 2}, 1000, 1000));
    ASSERT_EQ(r.records.size(), 2000u) << r.error;
    EXPECT_EQ(seriesOf(r, 4), (std::vector<std::int32_t>{1, 2, 1, 2}));
    EXPECT_EQ(r.records.back().pass, 1000);
    EXPECT_EQ(r.passNote, "");
    // Ended early: more than one pass length fits, and the reader says so.
    r = readAll(paced({"qztwin", "qztwin"}, 1, {1, 1, 2}, 700, 1000));
    ASSERT_EQ(r.records.size(), 1400u) << r.error;
    EXPECT_EQ(seriesOf(r, 2), (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(r.passNote,
              "run.txt:10: cannot tell whether a pass holds 2, 3, 4 or 5 records (its 1400 records are not the 1000 "
              "passes of a whole session, and its times keep to no 1 ms schedule); read as passes of 2 records: "
              "\"qztwin\", \"qztwin\"");
}

// One process whose passes overran, in a session ended early: one record a
// pass, or two processes of one name? Said so, and the choice named.
TEST(Passes, WhatTheBytesCannotDecideIsSaid) {
    const Read r = readAll(paced({"a"}, 10, {12, 5}, 50, 100));
    ASSERT_EQ(r.records.size(), 50u) << r.error;
    EXPECT_EQ(r.records[1].series, 1);
    EXPECT_EQ(r.passNote,
              "run.txt:10: cannot tell whether a pass holds 1, 2, 3 or 4 records (its 50 records are not the 100 "
              "passes of a whole session, and its times keep to no 10 ms schedule); read as passes of 1 record: "
              "\"a\"");
    // The same passes on the schedule: one process, nothing to say.
    const Read quick = readAll(paced({"a"}, 10, {2, 1}, 50, 100));
    EXPECT_EQ(quick.records[1].series, 1);
    EXPECT_EQ(quick.passNote, "");
}

TEST(Times, MidnightAndClockSteps) {
    // Started a second before midnight: the records run on into the next day.
    std::string log = header("31.12.2026", "23:59:59", "2", "400") + record("23:59:59:812", "a", 0, 1) +
                      record("00:00:00:212", "a", 0, 1) + record("00:00:00:612", "a", 0, 1);
    Read r = readAll(log);
    ASSERT_EQ(r.records.size(), 3u) << r.error;
    EXPECT_EQ(r.records[0].timeMs, 86'399'812);
    EXPECT_EQ(r.records[1].timeMs, MS_PER_DAY + 212);
    EXPECT_EQ(r.records[2].timeMs, MS_PER_DAY + 612);
    // The header just before midnight, the first record after it.
    r = readAll(header("31.12.2026", "23:59:59", "2", "400") + record("00:00:00:300", "a", 0, 1));
    ASSERT_EQ(r.records.size(), 1u);
    EXPECT_EQ(r.records[0].timeMs, MS_PER_DAY + 300);
    // A clock set back by an hour (summer time ends) stays on its day.
    EXPECT_EQ(placeOnDay(2 * 3'600'000, 3 * 3'600'000, 3 * 3'600'000 - 400), 2 * 3'600'000);
    // Passes a day apart land on successive days.
    EXPECT_EQ(placeOnDay(10 * 3'600'000, MS_PER_DAY + 10 * 3'600'000, 10 * 3'600'000), MS_PER_DAY + 10 * 3'600'000);
}

TEST(CutLogs, ReadUpToTheLastWholeRecord) {
    const std::string whole = header() + record("05:25:18:212", "a", 1, 10) + record("05:25:18:612", "a", 2, 20);
    // Cut amid the last record: it is dropped and said so.
    const std::string cut = whole + recordLine("05:25:19:012", "a", 3, 30).substr(0, 50);
    Read r = readAll(cut);
    EXPECT_EQ(r.end, ReadResult::end) << r.error;
    ASSERT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.note, "run.txt:14: the log is cut short here; dropped 50 bytes of an unfinished record");
    // Cut between a record and its empty line, or within its line end: the
    // record is whole and nothing was lost.
    for (const std::string& tail : {std::string("\r\n"), std::string("\r"), std::string()}) {
        r = readAll(whole + recordLine("05:25:19:012", "a", 3, 30) + tail);
        EXPECT_EQ(r.records.size(), 3u) << r.error;
        EXPECT_EQ(r.note, "");
    }
    r = readAll(whole + "\r");
    EXPECT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.note, "");
    // A system that cut the file at a page boundary may leave zeros.
    r = readAll(whole + std::string(300, '\0'));
    EXPECT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.note, "run.txt:14: the log is cut short here; dropped 300 bytes of an unfinished record");
}

#ifdef __GLIBC__
// A stream whose reads fail after `good` bytes, as a failing disk's or a
// dropped share's do.
struct FailingSource {
    std::string bytes;
    std::size_t at = 0;
};
ssize_t failingRead(void* cookie, char* buffer, std::size_t size) {
    auto* source = static_cast<FailingSource*>(cookie);
    if (source->at >= source->bytes.size()) {
        errno = EIO;
        return -1;
    }
    const std::size_t n = std::min(size, source->bytes.size() - source->at);
    std::memcpy(buffer, source->bytes.data() + source->at, n);
    source->at += n;
    return static_cast<ssize_t>(n);
}
#endif

// A read error is no end of the log: unusable input, not the records so far.
TEST(Files, AReadErrorIsUnusableInput) {
#ifndef __GLIBC__
    GTEST_SKIP() << "a failing stream is made with glibc's fopencookie";
#else
    FailingSource source{header() + record("05:25:18:212", "a", 1, 10) + record("05:25:18:612", "a", 2, 20)};
    cookie_io_functions_t io{};
    io.read = failingRead;
    std::FILE* stream = fopencookie(&source, "rb", io);
    ASSERT_NE(stream, nullptr);
    LogReader reader;
    ASSERT_TRUE(openLogStream(reader, stream, "share.txt")) << reader.error;
    LogRecord rec;
    ReadResult result;
    int records = 0;
    while ((result = nextRecord(reader, rec)) == ReadResult::record) ++records;
    std::fclose(stream);
    EXPECT_EQ(result, ReadResult::failed);
    EXPECT_EQ(records, 0) << "nothing handed out of a log that cannot be read to its end";
    EXPECT_EQ(reader.error, "share.txt: read error: Input/output error");
#endif
}

TEST(Files, AGrowingFileIsReadAsFarAsItWasWhenOpened) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "corvlog_growing.txt";
    {
        std::ofstream out(path, std::ios::binary);
        out << header() << record("05:25:18:212", "a", 1, 10) << record("05:25:18:612", "a", 2, 20);
    }
    LogReader reader;
    ASSERT_TRUE(openLogFile(reader, path.string())) << reader.error;
    {
        // The monitor goes on writing while the reader reads.
        std::ofstream out(path, std::ios::binary | std::ios::app);
        for (int i = 0; i < 2000; ++i) out << record("05:25:19:012", "a", 3, 30);
    }
    LogRecord rec;
    int records = 0;
    ReadResult result;
    while ((result = nextRecord(reader, rec)) == ReadResult::record) ++records;
    closeLogFile(reader);
    EXPECT_EQ(result, ReadResult::end);
    EXPECT_EQ(records, 2);
    std::filesystem::remove(path);

    LogReader missing;
    EXPECT_FALSE(openLogFile(missing, (std::filesystem::temp_directory_path() / "corvlog_no_such.txt").string()));
    EXPECT_NE(missing.error.find("cannot open"), std::string::npos);
}
