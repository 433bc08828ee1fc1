// Redrawing the list and the gauges every cycle must not allocate, except
// for names that hold a letter to convert. This binary counts every
// operator new of the process.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "probe/process_table.h"
#include "screen/gauges.h"
#include "screen/list_view.h"
#include "screen_test_util.h"

namespace {
std::atomic<long> allocations{0};
}

// GCC takes the malloc/free pair inside these replacements for a mismatch.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }

using namespace screentest;

TEST(Allocation, RowsAndGaugesDrawWithoutAllocating) {
    freshSurface();
    ASSERT_TRUE(openWindow(800, 584));
    monitorState.screenHeight = 584;
    processTable.assign(41, ProcessEntry{});
    for (int i = 1; i <= 40; ++i)
        processTable[static_cast<std::size_t>(i)] =
            ProcessEntry{"a-rather-long-process-name-" + std::to_string(i) + ".exe", 4 * i, i, i * 1000};
    processTable[7].ramKB = 0;
    monitorState.processCount = 40;
    monitorState.firstRow = 3;
    monitorState.lastRow = 32;
    resizeRowArrays(40);
    markedPid[5] = processTable[5].pid;

    const long before = allocations;
    redrawList();
    for (int i = 1; i <= 40; ++i) drawProcessRow(i);
    drawCpuGauge(42, 3.39f);
    drawMemoryGauge(63, 16384);
    EXPECT_EQ(allocations - before, 0);

    // A name with an umlaut costs its converted copy.
    processTable[10].name = "M\xFCller-Dienst-mit-langem-Namen.exe";
    const long umlaut = allocations;
    drawProcessRow(10);
    EXPECT_GE(allocations - umlaut, 1);
    freshSurface();
}
