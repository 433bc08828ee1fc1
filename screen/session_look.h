// How the window shows a log session: the defaults it put into the entry
// fields, the red border and "LOGGE!" while it logs, "START!" and the white
// border again when it is over.
#pragma once

// The digits of durationText (intervalText) in their entry field, over what
// the field shows.
void drawDurationText();
void drawIntervalText();

// Red border, then the button's label erased and "LOGGE!".
void drawLoggingLook();

// The button's label erased and "START!", then the white border.
void drawIdleLook();
