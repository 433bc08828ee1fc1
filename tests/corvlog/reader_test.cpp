// The log reader on logs laid out byte for byte: record lines taken apart,
// passes and series, midnight, cut logs and every kind of bad input.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

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
    std::string error, note;
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

    // A record out of its place ends the reading at its line.
    std::string wrong = header() + record("05:25:18:212", "a", 0, 1) + record("05:25:18:213", "b", 0, 1) +
                        record("05:25:18:612", "a", 0, 1) + record("05:25:18:613", "c", 0, 1);
    const Read bad = readAll(wrong);
    EXPECT_EQ(bad.end, ReadResult::failed);
    EXPECT_EQ(bad.error,
              "run.txt:16: a record of \"c\" where every pass has \"b\" (place 2 of 2): not one session's passes");
    EXPECT_EQ(bad.records.size(), 3u);
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
