// Draws the monitor window as the first sampling pass leaves it, with a
// sample list of processes, and writes it as a PNG file.
//   corv_screenshot [out.png]   (default docs/screenshot.png)
#include <cstdio>
#include <string>

#include "probe/process_table.h"
#include "screen/frame.h"
#include "screen/gauges.h"
#include "screen/list_view.h"
#include "screen/surface.h"
#include "state/monitor_state.h"
#include "tests/support/png_writer.h"

namespace {

struct Sample {
    const char* name;  // Windows-1252
    int pid;
    int cpu;
    int ramKB;
};

const Sample samples[] = {
    {"[System Process]", 0, 0, 0},
    {"System", 4, 1, 148},
    {"Registry", 100, 0, 71292},
    {"smss.exe", 388, 0, 1096},
    {"csrss.exe", 560, 0, 5512},
    {"wininit.exe", 648, 0, 6980},
    {"csrss.exe", 656, 0, 5240},
    {"services.exe", 728, 0, 10344},
    {"lsass.exe", 748, 0, 21164},
    {"winlogon.exe", 812, 0, 11880},
    {"svchost.exe", 904, 0, 31340},
    {"fontdrvhost.exe", 928, 0, 3604},
    {"svchost.exe", 1004, 0, 17652},
    {"dwm.exe", 1096, 2, 98412},
    {"svchost.exe", 1384, 0, 9936},
    {"spoolsv.exe", 2212, 0, 15084},
    {"MsMpEng.exe", 2648, 3, 245776},
    {"SearchIndexer.exe", 3304, 0, 41228},
    {"explorer.exe", 4712, 1, 156904},
    {"sihost.exe", 4860, 0, 26556},
    {"taskhostw.exe", 4904, 0, 18212},
    {"ctfmon.exe", 5236, 0, 20544},
    {"RuntimeBroker.exe", 5604, 0, 27832},
    {"SecurityHealthSystray.exe", 6092, 0, 9588},
    {"OneDrive.exe", 6440, 0, 88172},
    {"firefox.exe", 7120, 6, 412356},
    {"firefox.exe", 7312, 1, 187044},
    {"B\xFCroplaner.exe", 7788, 0, 64012},
    {"Gr\xF6\xDF"
     "enrechner.exe",
     8020, 0, 12732},
    {"notepad.exe", 8456, 0, 14380},
    {"Corvane.exe", 8932, 0, 4916},
    {"cmd.exe", 9104, 0, 4120},
    {"conhost.exe", 9112, 0, 11264},
    {"WmiPrvSE.exe", 9840, 0, 10708},
    {"audiodg.exe", 10240, 0, 22692},
};

}  // namespace

int main(int argc, char** argv) {
    const std::string out = argc > 1 ? argv[1] : "docs/screenshot.png";
    const int count = static_cast<int>(sizeof samples / sizeof samples[0]);

    processTable.assign(static_cast<std::size_t>(count) + 1, ProcessEntry{});
    for (int i = 1; i <= count; ++i) {
        const Sample& s = samples[i - 1];
        processTable[static_cast<std::size_t>(i)] = ProcessEntry{s.name, s.pid, s.cpu, s.ramKB};
    }
    monitorState.processCount = count;
    monitorState.firstRow = 1;
    monitorState.lastRow = count < VISIBLE_ROWS ? count : VISIBLE_ROWS;
    resizeRowArrays(count);
    markedPid[26] = processTable[26].pid;  // the first firefox.exe

    drawStaticFrame();
    lockScreen();
    drawCpuGauge(14, 3.39f);
    drawMemoryGauge(47, 16384);
    for (int i = 1; i <= count; ++i) drawProcessRow(i);
    unlockScreen();

    if (!writeSurfacePng(out)) {
        std::fprintf(stderr, "corv_screenshot: cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("%s\n", out.c_str());
    return 0;
}
