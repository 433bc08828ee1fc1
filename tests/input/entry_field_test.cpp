// Editing the two entry fields: keys, the checks on Enter and Escape, and a
// press that ends the editing and is dispatched at once.
#include "input/entry_field.h"

#include "input_fixture.h"
#include "tests/screen/screen_test_util.h"

namespace {

using inputtest::InputTest;
using std::vector;

constexpr int DURATION_X = 200, INTERVAL_X = 400, FIELD_Y = 540;

class EntryFields : public InputTest {
  protected:
    // Opens the window, presses into a field and lets go at the first pause
    // of the edit; the keys are waiting already.
    void editWith(int x, const vector<std::string>& keys) {
        for (const std::string& key : keys) surface::pushKey(key);
        pressAt(x, FIELD_Y);
        atPauses({[this] { release(); }});
        inputTurn();
    }
    static std::uint32_t durationFrame() { return surface::pixel(168, 534); }
    static std::uint32_t intervalFrame() { return surface::pixel(376, 552); }
};

TEST_F(EntryFields, TakesDigitsAndBackspaceAndShowsTheText) {
    openWith(3);
    alsoAtEachPause([this](std::int64_t) {
        EXPECT_TRUE(stateLockFree());
        if (fakeos::state().pauses.size() == 1) {
            EXPECT_EQ(durationFrame(), colourFocus);
        }
    });
    editWith(DURATION_X, {"1", "2", "x", "\xFF;", "3", "\b", "\r"});
    EXPECT_EQ(monitorState.durationText, "12");
    EXPECT_TRUE(screentest::textAt(180, 539, "12", colourBlack, colourWhite));
    EXPECT_EQ(screentest::countOther(196, 539, 243, 546, colourWhite), 0);
    EXPECT_EQ(durationFrame(), colourBlack);
    // F1 went to the field, not to the credits box.
    EXPECT_TRUE(fakeos::state().messageBoxes.empty());
    EXPECT_EQ(pauses(), (vector<std::int64_t>(7, 80)));
}

TEST_F(EntryFields, DurationCheckFillsOnlyAnEmptyText) {
    openWith(3);
    editWith(DURATION_X, {"\r"});
    EXPECT_EQ(monitorState.durationText, "5");
    EXPECT_TRUE(screentest::textAt(180, 539, "5", colourBlack, colourWhite));
    release();
    monitorState.durationText = "0";
    editWith(DURATION_X, {"\x1B"});
    EXPECT_EQ(monitorState.durationText, "0");
}

TEST_F(EntryFields, IntervalCheckRaisesValuesBelow200) {
    openWith(3);
    const vector<std::pair<std::string, std::string>> cases = {
        {"150", "200"}, {"200", "200"},           {"", "200"}, {"00150", "200"}, {"0200", "0200"},
        {"199", "200"}, {"12345678", "12345678"},
    };
    for (const auto& [before, after] : cases) {
        monitorState.intervalText = before;
        editWith(INTERVAL_X, {"\x1B"});
        EXPECT_EQ(monitorState.intervalText, after) << "from \"" << before << "\"";
        // Only a changed text is drawn again.
        if (after != before) {
            EXPECT_TRUE(screentest::textAt(388, 539, after, colourBlack, colourWhite)) << before;
        }
        release();
    }
    EXPECT_EQ(intervalFrame(), colourBlack);
}

TEST_F(EntryFields, NinthDigitIsDropped) {
    openWith(3);
    editWith(INTERVAL_X, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "\r"});
    EXPECT_EQ(monitorState.intervalText, "12345678");
    EXPECT_TRUE(screentest::textAt(388, 539, "12345678", colourBlack, colourWhite));
    EXPECT_EQ(fieldValue("12345678"), 12345678);
    EXPECT_EQ(fieldValue(""), 0);
    EXPECT_EQ(fieldValue("0042"), 42);
}

TEST_F(EntryFields, BackspaceOnAnEmptyFieldRedrawsIt) {
    openWith(3);
    setPixel(200, 541, colourBlack);  // a stain the redraw must cover
    editWith(DURATION_X, {"\b", "\r"});
    EXPECT_EQ(monitorState.durationText, "5");
    EXPECT_EQ(surface::pixel(200, 541), colourWhite);
}

TEST_F(EntryFields, PressIntoTheOtherFieldEndsTheFirstWithoutItsCheck) {
    openWith(3);
    pressAt(DURATION_X, FIELD_Y);
    atPauses({
        [this] { release(); },
        [this] { pressAt(INTERVAL_X, FIELD_Y); },
        [this] {
            // Now in the interval field, which took the press at once.
            EXPECT_EQ(durationFrame(), colourBlack);
            EXPECT_EQ(intervalFrame(), colourFocus);
            release();
            surface::pushKey("\r");
        },
    });
    inputTurn();
    EXPECT_EQ(monitorState.durationText, "");  // left by a press: not checked
    EXPECT_EQ(monitorState.intervalText, "200");
    EXPECT_EQ(intervalFrame(), colourBlack);
    EXPECT_EQ(pauses(), (vector<std::int64_t>{80, 80, 80, 80}));
}

TEST_F(EntryFields, EscapeEndsOnlyTheEditAndThePointerMayWander) {
    openWith(3);
    surface::pushKey("7");
    pressAt(DURATION_X, FIELD_Y);
    atPauses({
        [] { surface::pointerLeft(); },  // outside, button still down: editing goes on
        [this] {
            pointAt(500, 300);
            release();
        },
        [] { surface::pushKey("\x1B"); },
    });
    EXPECT_NO_THROW(inputTurn());
    EXPECT_EQ(monitorState.durationText, "7");
    EXPECT_EQ(monitorState.quitState, QUIT_RUNNING);
}

TEST_F(EntryFields, AltF4WaitsUntilTheEditEnds) {
    openWith(3);
    surface::setKeyHeld(0x38, true);
    surface::setKeyHeld(0x3E, true);
    pressAt(DURATION_X, FIELD_Y);
    atPauses({[this] { release(); }, [] {}, [] { surface::pushKey("\r"); }});
    EXPECT_THROW(inputTurn(), fakeos::ExitCalled);
    EXPECT_EQ(pauses(), (vector<std::int64_t>{80, 80, 80}));
    EXPECT_EQ(monitorState.durationText, "5");
}

}  // namespace
