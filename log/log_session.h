// One log session: samples the marked rows at an interval for a duration and
// writes them to the log file.
#pragma once

void runLogSession();
