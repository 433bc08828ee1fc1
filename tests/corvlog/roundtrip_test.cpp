// Logs written by Corvane itself, read back by corvlog: the real program
// logs two processes of one name headless, and every record of the CSV and
// the JSON lines must carry exactly the figures of the log, the header
// object exactly the session's facts.
//
// Usage: test_corvlog_roundtrip <Corvane> <corvlogsleeper> <corvlog>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#ifndef _WIN32
#include <unistd.h>
#endif
#include <iterator>
#include <sstream>

#include "tests/headless/child_process.h"
#include "tests/headless/log_file_check.h"

namespace {

std::string corvane, sleeper, corvlog;

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> split(const std::string& text, const std::string& by) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    for (std::size_t next; (next = text.find(by, at)) != std::string::npos; at = next + by.size()) {
        parts.push_back(text.substr(at, next - at));
    }
    parts.push_back(text.substr(at));
    return parts;
}

// "hh:mm:ss:mmm" as corvlog writes it after the date: "hh:mm:ss.mmm".
std::string isoTime(const std::string& logTime) { return logTime.substr(0, 8) + "." + logTime.substr(9, 3); }

// The value of "key": in a JSON object line (texts without escapes here).
std::string jsonValue(const std::string& line, const std::string& key) {
    const std::string mark = "\"" + key + "\":";
    const std::size_t at = line.find(mark);
    if (at == std::string::npos) return "<missing>";
    std::size_t from = at + mark.size(), to = from;
    if (line[from] == '"') {
        to = line.find('"', from + 1);
        return line.substr(from + 1, to - from - 1);
    }
    while (to < line.size() && line[to] != ',' && line[to] != '}') ++to;
    return line.substr(from, to - from);
}

class RoundTrip : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = scratchFolder("corvlog_roundtrip");
        for (Child& c : children) {
            c = startChild(sleeper, {"60"});
            ASSERT_NE(c.pid, 0) << "cannot start " << sleeper;
        }
    }
    void TearDown() override {
        for (Child& c : children) stopChild(c);
        std::error_code ec;
        if (!HasFailure()) std::filesystem::remove_all(folder, ec);
    }
    int run(const std::string& program, const std::vector<std::string>& args) {
        Child c = startChild(program, args);
        if (c.pid == 0) return -2;
        return waitChild(c, 120);
    }
    std::string path(const std::string& name) const { return folder + separator + name; }

    std::string folder;
    Child children[2];
};

TEST_F(RoundTrip, EveryRecordAndTheHeaderAsTheLogSays) {
    const std::string log = path("session.txt");
    // Both sleepers by name: two processes of one name in every pass.
    ASSERT_EQ(run(corvane, {"corvlogsleeper", "1", "200", log}), 0);
    const LogFile reference = readLogFile(log, "1", "200");
    ASSERT_TRUE(reference.exists);
    ASSERT_TRUE(reference.problems.empty()) << reference.problems.front();
    // nearest(1000 / 200 + 1) = 6 passes, five written.
    ASSERT_EQ(reference.records.size() % 5, 0u);
    const std::size_t perPass = reference.records.size() / 5;
    ASSERT_GE(perPass, 2u);

    ASSERT_EQ(run(corvlog, {"csv", log, "-o", path("out.csv")}), 0);
    ASSERT_EQ(run(corvlog, {"json", log, "-o", path("out.json")}), 0);
    const std::vector<std::string> rows = split(fileText(path("out.csv")), "\r\n");
    const std::vector<std::string> objects = split(fileText(path("out.json")), "\n");
    ASSERT_EQ(rows.size(), reference.records.size() + 2);  // heading, records, "" after the last line end
    ASSERT_EQ(objects.size(), reference.records.size() + 2);
    EXPECT_EQ(rows[0], "time,process,series,cpu_percent,ram_kb,file");

    // The header's date, as written in its first line.
    const std::string& h = reference.header[0];
    const std::string date = h.substr(14, 4) + "-" + h.substr(11, 2) + "-" + h.substr(8, 2);
    const std::string& header = objects[0];
    EXPECT_EQ(jsonValue(header, "type"), "header");
    EXPECT_EQ(jsonValue(header, "date"), date);
    EXPECT_EQ(jsonValue(header, "start"), date + "T" + h.substr(40, 8));
    EXPECT_EQ(jsonValue(header, "duration_s"), "1");
    EXPECT_EQ(jsonValue(header, "interval_ms"), "200");
    EXPECT_EQ(jsonValue(header, "cpu_clock_ghz"), reference.header[5].substr(10, reference.header[5].size() - 14));
    EXPECT_EQ("Verf\xFCgbarer Speicher: " + jsonValue(header, "total_memory_mb") + " MB", reference.header[6]);
    std::string escaped;  // JSON doubles a Windows path's backslashes
    for (const char c : log) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    EXPECT_EQ(jsonValue(header, "file"), escaped);

    for (std::size_t i = 0; i < reference.records.size(); ++i) {
        const LogRecord& r = reference.records[i];
        // Series: the earlier places of the same name in the first pass.
        int series = 1;
        for (std::size_t j = 0; j < i % perPass; ++j) series += reference.records[j].name == r.name ? 1 : 0;
        const std::vector<std::string> cells = split(rows[i + 1], ",");
        ASSERT_EQ(cells.size(), 6u) << rows[i + 1];
        // A session run over midnight puts its later records on the next day.
        EXPECT_EQ(cells[0].substr(10), "T" + isoTime(r.time));
        EXPECT_TRUE(cells[0].substr(0, 10) == date || cells[0].substr(11) < h.substr(40, 8)) << cells[0];
        EXPECT_EQ(cells[1], r.name);
        EXPECT_EQ(cells[2], std::to_string(series));
        EXPECT_EQ(cells[3], std::to_string(r.cpuPercent));
        EXPECT_EQ(cells[4], std::to_string(r.ramKB));
        EXPECT_EQ(cells[5], log);

        const std::string& o = objects[i + 1];
        EXPECT_EQ(jsonValue(o, "type"), "record");
        EXPECT_EQ(jsonValue(o, "time"), cells[0]);
        EXPECT_EQ(jsonValue(o, "process"), r.name);
        EXPECT_EQ(jsonValue(o, "series"), cells[2]);
        EXPECT_EQ(jsonValue(o, "cpu_percent"), cells[3]);
        EXPECT_EQ(jsonValue(o, "ram_kb"), cells[4]);
    }
    // Both sleepers are series of their own.
    int second = 0;
    for (std::size_t i = 1; i + 1 < rows.size(); ++i) second += split(rows[i], ",")[2] == "2" ? 1 : 0;
    EXPECT_GE(second, 5);

    // The summary has a row per series with all five samples.
    ASSERT_EQ(run(corvlog, {"summary", log, "--csv", "-o", path("summary.csv")}), 0);
    const std::vector<std::string> summary = split(fileText(path("summary.csv")), "\r\n");
    ASSERT_EQ(summary.size(), perPass + 2);
    for (std::size_t s = 1; s <= perPass; ++s) EXPECT_EQ(split(summary[s], ",")[3], "5") << summary[s];
}

// Two processes of one name with 200 other processes
// between them in the list, logged at a 1 ms interval for 1 s. A pass
// takes longer than half an interval (here longer than the interval), yet
// corvlog finds two series of 1000 samples, and says nothing.
TEST(RoundTripTwins, TwoProcessesOfOneNameFarApartInTheList) {
#ifdef _WIN32
    GTEST_SKIP() << "200 processes under Wine: the Linux build runs this";
#else
    const std::string folder = scratchFolder("corvlog_twins");
    // A name no other run on the machine uses: the sleeper under a name of
    // this test's own, made of letters (a PID text in it would select the
    // process of that PID too).
    std::string name = "qztwin";
    for (const char digit : std::to_string(getpid())) name += static_cast<char>('a' + (digit - '0'));
    const std::string twin = folder + "/" + name;
    std::error_code copied;
    std::filesystem::copy_file(sleeper, twin, copied);
    ASSERT_FALSE(copied) << copied.message();
    std::filesystem::permissions(twin, std::filesystem::perms::owner_all, copied);
    std::vector<Child> started;
    started.push_back(startChild(twin, {"60"}));
    // Between them (the list is in PID order): processes of another name.
    for (int i = 0; i < 200; ++i) started.push_back(startChild("/usr/bin/tail", {"-f", "/dev/null"}));
    started.push_back(startChild(twin, {"60"}));
    bool allStarted = true;
    for (const Child& c : started) allStarted = allStarted && c.pid != 0;
    const std::string log = folder + "/twins.txt", summary = folder + "/summary.csv", errors = folder + "/errors.txt";
    int logged = -3, read = -3;
    if (allStarted) {
        Child run = startChild(corvane, {name, "1", "1", log});
        logged = waitChild(run, 120);
        run = startChild(corvlog, {"summary", log, "--csv", "-o", summary}, "", errors);
        read = waitChild(run, 120);
    }
    for (Child& c : started) stopChild(c);
    ASSERT_TRUE(allStarted);
    ASSERT_EQ(logged, 0);
    ASSERT_EQ(read, 0);
    const LogFile reference = readLogFile(log, "1", "1");
    ASSERT_TRUE(reference.problems.empty()) << reference.problems.front();
    ASSERT_EQ(reference.records.size(), 2000u);
    const std::vector<std::string> rows = split(fileText(summary), "\r\n");
    ASSERT_EQ(rows.size(), 4u) << fileText(summary);
    EXPECT_EQ(split(rows[1], ",")[2], "1");
    EXPECT_EQ(split(rows[1], ",")[3], "1000");
    EXPECT_EQ(split(rows[2], ",")[2], "2");
    EXPECT_EQ(split(rows[2], ",")[3], "1000");
    EXPECT_EQ(fileText(errors), "");
    std::error_code ec;
    if (!::testing::Test::HasFailure()) std::filesystem::remove_all(folder, ec);
#endif
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <Corvane> <corvlogsleeper> <corvlog>\n", argv[0]);
        return 2;
    }
    corvane = nativePath(argv[1]);
    sleeper = nativePath(argv[2]);
    corvlog = nativePath(argv[3]);
    return RUN_ALL_TESTS();
}
