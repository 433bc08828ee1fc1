// What typed keys become before they reach readKey: the translations the
// window realisations share, without a display.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "os/windows_1252.h"
#include "screen/window_codepage.h"

#if !defined(_WIN32) && !defined(CORV_NO_X11)
#include <X11/keysym.h>

#include "screen/window_x11_keys.h"
#endif

namespace {

using codepage::cp437FromUnicode;

TEST(Cp437, AsciiAndControlCharactersPassUnchanged) {
    EXPECT_EQ(cp437FromUnicode(U'a'), 'a');
    EXPECT_EQ(cp437FromUnicode(U'~'), '~');
    EXPECT_EQ(cp437FromUnicode(13), 13);
    EXPECT_EQ(cp437FromUnicode(27), 27);
    EXPECT_EQ(cp437FromUnicode(8), 8);
    EXPECT_EQ(cp437FromUnicode(0x7F), 0x7F);
}

TEST(Cp437, GermanAndOtherLatinLettersFindTheirGlyphs) {
    EXPECT_EQ(cp437FromUnicode(U'ä'), 0x84);
    EXPECT_EQ(cp437FromUnicode(U'ö'), 0x94);
    EXPECT_EQ(cp437FromUnicode(U'ü'), 0x81);
    EXPECT_EQ(cp437FromUnicode(U'Ä'), 0x8E);
    EXPECT_EQ(cp437FromUnicode(U'Ö'), 0x99);
    EXPECT_EQ(cp437FromUnicode(U'Ü'), 0x9A);
    EXPECT_EQ(cp437FromUnicode(U'ß'), 0xE1);
    EXPECT_EQ(cp437FromUnicode(U'é'), 0x82);
    EXPECT_EQ(cp437FromUnicode(U'µ'), 0xE6);
    EXPECT_EQ(cp437FromUnicode(U'°'), 0xF8);
    EXPECT_EQ(cp437FromUnicode(U'²'), 0xFD);
    EXPECT_EQ(cp437FromUnicode(U'½'), 0xAB);
    EXPECT_EQ(cp437FromUnicode(0xA0), 0xFF);  // no-break space
    EXPECT_EQ(cp437FromUnicode(U'ƒ'), 0x9F);
    EXPECT_EQ(cp437FromUnicode(U'█'), 0xDB);
}

TEST(Cp437, SignsDrawnByTheLowGlyphsUseThem) {
    EXPECT_EQ(cp437FromUnicode(U'§'), 0x15);
    EXPECT_EQ(cp437FromUnicode(U'¶'), 0x14);
    EXPECT_EQ(cp437FromUnicode(U'•'), 0x07);
    EXPECT_EQ(cp437FromUnicode(U'⌂'), 0x7F);
}

TEST(Cp437, CharactersWithoutGlyphBecomeQuestionMarks) {
    EXPECT_EQ(cp437FromUnicode(U'€'), '?');
    EXPECT_EQ(cp437FromUnicode(U'©'), '?');
    EXPECT_EQ(cp437FromUnicode(U'Ø'), '?');
    EXPECT_EQ(cp437FromUnicode(U'ã'), '?');
    EXPECT_EQ(cp437FromUnicode(U'×'), '?');
    EXPECT_EQ(cp437FromUnicode(0x1F600), '?');
    EXPECT_EQ(cp437FromUnicode(0x110000), '?');
}

// Each glyph is reached by exactly one character, so no byte of the font's
// upper half is lost to a duplicate in the table.
TEST(Cp437, EveryUpperGlyphIsReachable) {
    int reached[256] = {};
    for (char32_t c = 0x80; c < 0x10000; ++c) ++reached[cp437FromUnicode(c)];
    for (int b = 0x80; b <= 0xFF; ++b) EXPECT_EQ(reached[b], 1) << "byte " << b;
}

// The bytes a German Windows keyboard types, on their way to the screen.
TEST(Cp437, Windows1252LettersReachTheFont) {
    EXPECT_EQ(cp437FromUnicode(windows1252::unicodeOf(0xDF)), 0xE1);
    EXPECT_EQ(cp437FromUnicode(windows1252::unicodeOf(0xA7)), 0x15);
    EXPECT_EQ(cp437FromUnicode(windows1252::unicodeOf(0x80)), '?');
}

#if !defined(_WIN32) && !defined(CORV_NO_X11)

using x11keys::keyCodeForPress;

std::string press(unsigned long keysym, const std::string& lookup = "") {
    return keyCodeForPress(keysym, lookup.data(), static_cast<int>(lookup.size()));
}

TEST(X11Keys, EnterEscapeAndBackspaceAreSingleBytes) {
    EXPECT_EQ(press(XK_Return, "\r"), "\r");
    EXPECT_EQ(press(XK_KP_Enter, "\r"), "\r");
    EXPECT_EQ(press(XK_Escape, "\x1B"), "\x1B");
    EXPECT_EQ(press(XK_BackSpace, "\b"), "\b");
    EXPECT_EQ(press(XK_Tab, "\t"), "\t");
}

TEST(X11Keys, KeysWithoutCharacterGiveFFAndTheScanCode) {
    EXPECT_EQ(press(XK_Home), "\xFF\x47");
    EXPECT_EQ(press(XK_End), "\xFF\x4F");
    EXPECT_EQ(press(XK_Prior), "\xFF\x49");
    EXPECT_EQ(press(XK_Next), "\xFF\x51");
    EXPECT_EQ(press(XK_Up), "\xFF\x48");
    EXPECT_EQ(press(XK_Down), "\xFF\x50");
    EXPECT_EQ(press(XK_Left), "\xFF\x4B");
    EXPECT_EQ(press(XK_Right), "\xFF\x4D");
    EXPECT_EQ(press(XK_Insert), "\xFF\x52");
    EXPECT_EQ(press(XK_Delete, "\x7F"), "\xFF\x53");  // not the DEL character
    EXPECT_EQ(press(XK_F1), "\xFF\x3B");
    EXPECT_EQ(press(XK_F4), "\xFF\x3E");
    EXPECT_EQ(press(XK_F10), "\xFF\x44");
    EXPECT_EQ(press(XK_F11), "\xFF\x57");
    EXPECT_EQ(press(XK_F12), "\xFF\x58");
    EXPECT_EQ(press(XK_KP_Home), "\xFF\x47");  // keypad with Num Lock off
    EXPECT_EQ(press(XK_KP_Delete, "\x7F"), "\xFF\x53");
}

TEST(X11Keys, CharactersArriveInCodePage437) {
    EXPECT_EQ(press(XK_a, "a"), "a");
    EXPECT_EQ(press(XK_A, "A"), "A");
    EXPECT_EQ(press(XK_space, " "), " ");
    EXPECT_EQ(press(XK_KP_7, "7"), "7");  // keypad with Num Lock on
    EXPECT_EQ(press(XK_udiaeresis, "\xFC"), "\x81");
    EXPECT_EQ(press(XK_ssharp, "\xDF"), "\xE1");
    EXPECT_EQ(press(XK_section, "\xA7"), "\x15");
    EXPECT_EQ(press(XK_a, "\x01"), "\x01");  // Ctrl+A
    // Keysyms XLookupString leaves without Latin-1 bytes.
    EXPECT_EQ(press(XK_udiaeresis), "\x81");
    EXPECT_EQ(press(XK_EuroSign), "?");
    EXPECT_EQ(press(0x1002591), "\xB0");  // U+2591, light shade
}

TEST(X11Keys, ModifiersAndLocksQueueNothing) {
    for (unsigned long sym : {XK_Shift_L, XK_Control_R, XK_Alt_L, XK_Caps_Lock, XK_Num_Lock, XK_Super_L}) {
        EXPECT_EQ(press(sym), "") << sym;
    }
    EXPECT_EQ(press(0ul), "");
}

TEST(X11Keys, HeldKeysAreNamedByTheirScanCodes) {
    using x11keys::scanCodeForKey;
    EXPECT_EQ(scanCodeForKey(64, XK_Alt_L), 0x38);
    EXPECT_EQ(scanCodeForKey(108, XK_ISO_Level3_Shift), 0x38);
    EXPECT_EQ(scanCodeForKey(70, XK_F4), 0x3E);
    EXPECT_EQ(scanCodeForKey(110, XK_Home), 0x47);  // away from the main block
    EXPECT_EQ(scanCodeForKey(79, XK_KP_Home), 0x47);
    EXPECT_EQ(scanCodeForKey(106, XK_KP_Divide), 0x35);
    // The main block by position: the key left of S is scan code 0x1E on
    // any layout, whatever letter it types.
    EXPECT_EQ(scanCodeForKey(38, XK_a), 0x1E);
    EXPECT_EQ(scanCodeForKey(38, XK_q), 0x1E);
    EXPECT_EQ(scanCodeForKey(9, 0ul), 0x01);
    EXPECT_EQ(scanCodeForKey(96, 0ul), 0x58);
    EXPECT_EQ(scanCodeForKey(8, 0ul), 0);
    EXPECT_EQ(scanCodeForKey(97, 0ul), 0);
    EXPECT_EQ(scanCodeForKey(255, 0ul), 0);
}

#endif

}  // namespace
