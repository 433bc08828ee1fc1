// The start button runs a whole log session on the input thread.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "input_fixture.h"

namespace {

using inputtest::InputTest;
using std::vector;

class StartButton : public InputTest {
  protected:
    void SetUp() override {
        InputTest::SetUp();
        dir_ = std::filesystem::temp_directory_path() /
               ("corvane-start-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::filesystem::remove_all(dir_);
        InputTest::TearDown();
    }
    std::string logPath() const { return (dir_ / "run.txt").string(); }
    std::string logText() const {
        std::ifstream in(logPath(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static int occurrences(const std::string& text, const std::string& word) {
        int n = 0;
        for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
        return n;
    }

  private:
    std::filesystem::path dir_;
};

TEST_F(StartButton, RunsTheSessionHereWithoutTheLock) {
    openWith(3);
    markedPid[2] = 1002;
    monitorState.durationText = "1";
    monitorState.intervalText = "400";
    monitorState.logFileName = logPath();
    pressAt(700, 543);
    bool sawSession = false;
    alsoAtEachPause([&](std::int64_t ms) {
        if (ms != 400) return;
        sawSession = true;
        EXPECT_EQ(monitorState.logState, LOG_RUNNING);
        EXPECT_EQ(surface::pixel(0, 300), colourLogging);
        EXPECT_TRUE(stateLockFree());
    });
    inputTurn();
    EXPECT_TRUE(sawSession);
    EXPECT_EQ(monitorState.logState, LOG_IDLE);
    EXPECT_EQ(surface::pixel(0, 300), colourWhite);
    // One second at 400 ms: four passes, three of them written.
    EXPECT_EQ(occurrences(logText(), "p2.exe"), 3);
    EXPECT_EQ(occurrences(logText(), "p1.exe"), 0);
    EXPECT_EQ(pauses().front(), 400);
    EXPECT_EQ(pauses().back(), 80);
}

TEST_F(StartButton, PressWhileEditingStartsWithTheUncheckedText) {
    openWith(3);
    markedPid[1] = 1001;
    monitorState.durationText = "0";
    monitorState.logFileName = logPath();
    surface::pushKey("5");
    surface::pushKey("0");
    pressAt(400, 540);  // into the interval field
    atPauses({
        [this] { release(); }, [this] { pressAt(700, 543); },  // the start button ends the edit
    });
    alsoAtEachPause([](std::int64_t ms) {
        if (ms == 50) {
            EXPECT_EQ(monitorState.intervalText, "50");
        }
    });
    inputTurn();
    EXPECT_EQ(monitorState.intervalText, "50");  // not raised to 200
    EXPECT_EQ(monitorState.logState, LOG_IDLE);
    EXPECT_EQ(surface::pixel(376, 534), colourBlack);  // the field's frame
    const vector<std::int64_t> p = pauses();
    ASSERT_GE(p.size(), 4u);
    EXPECT_EQ(p[0], 80);
    EXPECT_EQ(p[1], 80);
    EXPECT_EQ(p[2], 50);
    EXPECT_EQ(p.back(), 80);
    EXPECT_TRUE(std::filesystem::exists(logPath()));
}

}  // namespace
