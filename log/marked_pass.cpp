#include "log/marked_pass.h"

#include "probe/cpu_load.h"
#include "probe/row_sample.h"

void sampleMarkedPass(SessionPins& pins, LogWriter* writer) {
    measureCpuLoad();
    for (PinnedRow& pinned : pins.rows()) {
        storeRowSample(pinned.row, os::samplePinned(pinned.process));
        if (writer) writeSampleRecord(*writer, pinned.row);
    }
}
