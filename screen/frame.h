// The static frame of the monitor window and the regions it fixes.
#pragma once

// Opens the window and draws everything that does not change while the
// monitor runs; sets screenHeight. Called once by windowed start-up.
void drawStaticFrame();

// The empty marker box of visible row r (1..30).
void drawMarkerBox(int r);
