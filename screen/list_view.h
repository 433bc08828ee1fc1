// The process list: rows, redraw, name conversion and the scroll controls.
#pragma once

#include <cstdint>
#include <string>

// Windows-1252 name to code page 437 for the screen font (umlauts and ß).
std::string toScreenText(const std::string& name);

// Draws table row i when it is visible, then always the scroll controls.
void drawProcessRow(std::int32_t i);

// lockScreen; drawProcessRow for 1..processCount; unlockScreen.
void redrawList();
