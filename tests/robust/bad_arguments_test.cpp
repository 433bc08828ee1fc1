// The built program in headless mode fed with awkward command lines. Every
// run must end by itself within a bounded time and leave either a sound log
// (header and whole records, the record count the session rules give) and
// status 0, or no file and status 1.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/headless/child_process.h"
#include "tests/robust/log_shape.h"
#include "tests/robust/robust_programs.h"

namespace {

enum class Expect { File, NoFile, Either };

struct BadCase {
    const char* label;
    std::string duration;
    std::string interval;
    // The log argument relative to the case's folder, '/' for the separator;
    // "" passes an empty argument (the default name in the working directory).
    std::string logArgument;
    // The file that must appear, relative to the case's folder; "*" means
    // the default name "Log DD-MM-YYYY hhmmss.txt".
    std::string expectedFile;
    Expect expect;
    int records;                 // records of the logged process; -1: not fixed by the rules
    std::string headerDuration;  // what the header shows (the defaults for empty texts)
    std::string headerInterval;
};

std::string repeated(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

std::string withSeparators(std::string path) {
    for (char& c : path) {
        if (c == '/') c = separator;
    }
    return path;
}

bool isDefaultName(const std::string& name) {
    if (name.size() != 25 || name.compare(0, 4, "Log ") != 0 || name.compare(21, 4, ".txt") != 0) return false;
    for (int at : {4, 5, 7, 8, 10, 11, 12, 13, 15, 16, 17, 18, 19, 20}) {
        if (name[static_cast<std::size_t>(at)] < '0' || name[static_cast<std::size_t>(at)] > '9') return false;
    }
    return name[6] == '-' && name[9] == '-' && name[14] == ' ';
}

std::vector<BadCase> badCases() {
    const std::string nines400 = repeated("9", 400);  // beyond the largest double
    const std::string longOne = repeated("0", 300) + "1";
    const std::string longHundred = repeated("0", 300) + "100";
    const std::string longDuration = repeated("7", 5000);
    // One component longer than any system allows.
    const std::string hugeComponent = repeated("n", 300);
    // Many short components: a path of some 3000 bytes, and one beyond 4096.
    const std::string deep = repeated("deeper_folder_0123456789/", 120);
    const std::string tooDeep = repeated("deeper_folder_0123456789/", 200);
    const Expect deepExpect = robust::onWindows ? Expect::Either : Expect::File;
    const Expect tooDeepExpect = robust::onWindows ? Expect::Either : Expect::NoFile;

    return {
        // Empty texts take the session's defaults, and the header shows them.
        {"empty duration, interval 0", "", "0", "a", "a.txt", Expect::File, 0, "4", "0"},
        {"empty interval, duration 1", "1", "", "b", "b.txt", Expect::File, 3, "1", "400"},
        {"empty log name", "0", "50", "", "*", Expect::File, 0, "0", "50"},
        {"empty interval and log name", "0", "", "", "*", Expect::File, 0, "0", "400"},
        // Plain figures, with the rounding halves to even.
        {"1 s at 400 ms: 3.5 goes to 4", "1", "400", "c.txt", "c.txt", Expect::File, 3, "1", "400"},
        {"0.25 s at 100 ms: 3.5 goes to 4", "0.25", "100", "d", "d.txt", Expect::File, 3, "0.25", "100"},
        // Zero, negative, not a number, infinite.
        {"duration 0", "0", "100", "e", "e.txt", Expect::File, 0, "0", "100"},
        {"negative duration", "-1", "100", "f", "f.txt", Expect::File, 0, "-1", "100"},
        {"duration not a number", "abc", "100", "g", "g.txt", Expect::File, 0, "abc", "100"},
        {"duration 1e400", "1e400", "50", "h", "h.txt", Expect::File, 0, "1e400", "50"},
        {"duration of 400 nines", nines400, "50", "i", "i.txt", Expect::File, 0, nines400, "50"},
        {"duration of 5000 sevens", longDuration, "50", "j", "j.txt", Expect::File, 0, longDuration, "50"},
        {"interval 0", "1", "0", "k", "k.txt", Expect::File, 0, "1", "0"},
        {"negative interval", "1", "-100", "l", "l.txt", Expect::File, 0, "1", "-100"},
        {"interval not a number", "1", "fast", "m", "m.txt", Expect::File, 0, "1", "fast"},
        {"interval 1e400", "1e3", "1e400", "n", "n.txt", Expect::File, 0, "1e3", "1e400"},
        {"interval of 400 nines", "100", nines400, "o", "o.txt", Expect::File, 0, "100", nines400},
        {"huge duration, interval 0", "1e300", "0", "p", "p.txt", Expect::File, 0, "1e300", "0"},
        {"huge duration, negative interval", nines400, "-1", "q", "q.txt", Expect::File, 0, nines400, "-1"},
        // Exponents with E or D, either case, and their signs.
        {"1D-1 s at 1d1 ms", "1D-1", "1d1", "r", "r.txt", Expect::File, 10, "1D-1", "1d1"},
        {"3e-1 s at 1E2 ms", "3e-1", "1E2", "s", "s.txt", Expect::File, 3, "3e-1", "1E2"},
        {"0.5 s at 1e2 ms", "0.5", "1e2", "t", "t.txt", Expect::File, 5, "0.5", "1e2"},
        {"a letter without exponent digits", "1e", "250d", "u", "u.txt", Expect::File, 4, "1e", "250d"},
        // Leading blanks are skipped, trailing rubbish ignored, a plus sign read.
        {"leading blanks", "  1", "   250", "v", "v.txt", Expect::File, 4, "  1", "   250"},
        {"trailing rubbish", "1x", "200ms", "w", "w.txt", Expect::File, 5, "1x", "200ms"},
        {"plus sign", "+1", "+500", "x", "x.txt", Expect::File, 2, "+1", "+500"},
        {"long digit strings", longOne, longHundred, "y", "y.txt", Expect::File, 10, longOne, longHundred},
        // Log names and paths.
        {".TXT is not .txt", "0", "10", "z.TXT", "z.TXT.txt", Expect::File, 0, "0", "10"},
        {"missing folders are made", "0", "10", "made/for/it/log", "made/for/it/log.txt", Expect::File, 0, "0", "10"},
        {"folder under a plain file", "0", "10", "plain/sub/log", "", Expect::NoFile, 0, "0", "10"},
        {"a component too long", "0", "10", hugeComponent + "/log", "", Expect::NoFile, 0, "0", "10"},
        {"a name too long", "0", "10", hugeComponent, "", Expect::NoFile, 0, "0", "10"},
        {"a deep path", "0", "10", deep + "log", deep + "log.txt", deepExpect, 0, "0", "10"},
        {"a path beyond the system's limit", "0", "10", tooDeep + "log", tooDeep + "log.txt", tooDeepExpect, 0, "0",
         "10"},
    };
}

class BadArguments : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = robust::scratch("args");
        sleeper = startChild(robust::sleeper, {"300"});
        ASSERT_NE(sleeper.pid, 0) << "cannot start " << robust::sleeper;
    }
    void TearDown() override {
        stopChild(sleeper);
        std::error_code ec;
        if (!HasFailure()) std::filesystem::remove_all(folder, ec);
    }

    // Runs one case in a folder of its own and checks everything it left.
    void runCase(const BadCase& c, int index, const std::string& markSpec) {
        SCOPED_TRACE(c.label);
        const std::string caseFolder = folder + separator + "case" + std::to_string(index);
        std::filesystem::create_directories(caseFolder);
        const std::string blocker = caseFolder + separator + "plain";
        { std::ofstream(blocker, std::ios::binary) << "keep"; }

        const std::string logArgument =
            c.logArgument.empty() ? std::string() : caseFolder + separator + withSeparators(c.logArgument);
        Child run = startChild(robust::corvane, {markSpec, c.duration, c.interval, logArgument}, caseFolder);
        ASSERT_NE(run.pid, 0);
        // Every case here is specified to end within about two seconds.
        const int status = waitChild(run, robust::watchdogSeconds);
        ASSERT_NE(status, -1) << "killed by the watchdog";

        std::vector<std::string> files = filesBelow(caseFolder);
        files.erase(std::find(files.begin(), files.end(), "plain"));
        {
            std::ifstream in(blocker, std::ios::binary);
            const std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_EQ(kept, "keep");
        }
        if (c.expect == Expect::NoFile || (c.expect == Expect::Either && files.empty())) {
            EXPECT_TRUE(files.empty()) << joinLines(files);
            EXPECT_EQ(status, 1) << "a log that could not be written";
            return;
        }
        EXPECT_EQ(status, 0) << "a written log";
        ASSERT_EQ(files.size(), 1u) << "one log file only:\n" << joinLines(files);
        if (c.expectedFile == "*") {
            EXPECT_TRUE(isDefaultName(files[0])) << files[0];
        } else {
            EXPECT_EQ(files[0], withSeparators(c.expectedFile));
        }
        const LogShape shape = readLogShape(caseFolder + separator + files[0], c.headerDuration, c.headerInterval);
        EXPECT_TRUE(shape.headerComplete);
        EXPECT_TRUE(shape.problems.empty()) << joinLines(shape.problems);
        if (c.records >= 0) {
            EXPECT_EQ(countRecords(shape.log, robust::sleeperName), c.records);
            if (c.records == 0) {
                EXPECT_TRUE(shape.log.records.empty());
            }
        }
    }

    std::string folder;
    Child sleeper;
};

TEST_F(BadArguments, EveryCaseEndsSoonWithASoundFileAndStatusZeroOrNoFileAndStatusOne) {
    const std::vector<BadCase> cases = badCases();
    const std::string pid = robust::pidText(sleeper.pid);
    for (std::size_t i = 0; i < cases.size(); ++i) runCase(cases[i], static_cast<int>(i), pid);
}

TEST_F(BadArguments, AVeryLongFirstArgumentStillSelectsByPid) {
    // Far longer than any name or PID; the system's own limit for one
    // argument is larger on Linux, the whole command line is 32 K on Windows.
    const int length = robust::onWindows ? 20000 : 120000;
    const std::string selection = std::string(static_cast<std::size_t>(length), 'x') + robust::pidText(sleeper.pid);
    const BadCase c{"long first argument", "0.5", "100", "long", "long.txt", Expect::File, 5, "0.5", "100"};
    runCase(c, 0, selection);
}

TEST_F(BadArguments, ASelectionThatMatchesNothingWritesTheHeaderOnly) {
    const BadCase c{"nothing selected", "0.2", "50", "none", "none.txt", Expect::File, 0, "0.2", "50"};
    runCase(c, 0, "\x01\x02nothing-at-all\xFF");
}

}  // namespace
