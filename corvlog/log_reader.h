// Reading one Corvane log as a stream of records, in bounded memory: the
// file passes through a fixed buffer and only the first records are held
// until the reader knows how many records a pass has.
//
// A pass is the group of records the monitor writes at one sampling time:
// one record for every marked process, always the same names in the same
// order, since the marked set is fixed for a session. So the names repeat
// with the pass length, and a pass length is a period of the name sequence;
// but one name logged twice a pass repeats with half the pass length too.
// The reader tells the periods apart with the header: the session writes
// nearest(duration / interval + 1) - 1 passes (never more; exactly that
// many when it ran to its end), and its passes start on a fixed schedule,
// one interval after the one before (later only when a pass overran the
// interval). Where neither settles it, it says so in `passNote` and names
// the pass length it took. Once the length is fixed, every later record
// must carry the name of its place in the pass. A name's n-th place within
// a pass is its series n.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "corvlog/log_lines.h"

namespace corvlog {

constexpr std::size_t MAX_LINE_BYTES = 4096;       // longer: not a log
constexpr std::size_t MAX_PASS_RECORDS = 100'000;  // processes in one pass
constexpr std::size_t READ_CHUNK = 1 << 20;
// Records held while the pass length is open: a file is counted when this
// many are held (and four passes of the shortest period seen); standard
// input from a pipe, which cannot be counted ahead, is held up to
// MAX_HELD_RECORDS (32 bytes each) before the passes are taken from the
// timing alone.
constexpr std::size_t DECIDE_AFTER_RECORDS = 1024;
constexpr std::size_t MAX_HELD_RECORDS = 3 * MAX_PASS_RECORDS;
constexpr std::size_t MAX_HELD_NAME_BYTES = 16 << 20;  // the distinct names among them

struct LogRecord {
    std::int64_t timeMs = 0;  // after midnight of the header's date; past 24 h after midnight
    std::string name;         // Windows-1252, without padding
    std::int32_t place = 0;   // within its pass, from 0
    std::int32_t series = 1;  // 1 + the earlier places of the same name in the pass
    std::int64_t pass = 0;    // from 1 (the first written pass)
    std::int32_t cpuPercent = 0;
    std::int32_t ramKB = 0;
    std::int64_t line = 0;
};

struct LogReader {
    std::string path;  // as named on the command line
    std::FILE* file = nullptr;
    bool ownsFile = false;
    std::string_view memory;           // the source when there is no file
    std::uint64_t limit = UINT64_MAX;  // bytes to read: a regular file's size at open
    std::uint64_t consumed = 0;

    std::vector<char> buffer;
    std::size_t begin = 0, end = 0;
    bool sourceDone = false;
    std::int64_t lineNumber = 0;

    LogHeader header;
    std::vector<std::string> headerLines;  // as they stand, for `show`
    std::string error;                     // "path:line: what", set when reading failed
    std::string note;                      // a warning that does not stop reading
    std::uint64_t droppedBytes = 0;        // an unfinished record at the end

    // Passes.
    struct Held {
        std::int64_t timeOfDayMs = 0;
        std::int64_t line = 0;
        std::int32_t name = 0;  // index into heldNames
        std::int32_t cpuPercent = 0, ramKB = 0;
    };
    std::vector<Held> held;  // read while the pass length is open, handed out first
    std::size_t heldNext = 0;
    std::vector<std::string> heldNames;  // each distinct name once
    std::unordered_map<std::string, std::int32_t> heldIds;
    std::size_t heldNameBytes = 0;
    std::vector<std::int32_t> border;  // the longest border of each prefix of the held names
    std::size_t passLength = 0;        // 0 while unknown
    std::vector<std::string> passNames;
    std::vector<std::int32_t> passSeries;
    std::string passNote;              // set when the log did not settle the pass length
    std::int64_t countedRecords = -1;  // all records of the log, once counted ahead; -2: it cannot be
    std::size_t decideAt = 0;          // held records at which to look at the passes again
    std::int64_t records = 0;          // records handed out or placed
    std::int64_t lastTimeMs = 0;
    std::int64_t passStartMs = 0;
};

// The number of passes a session with this header writes when it runs to
// its end: the monitor's nearest(duration × 1000 / interval + 1) less the
// unwritten first; 0 when the header gives none.
std::int64_t writtenPasses(const LogHeader& header);

// Opens `path` ("-": standard input) and reads the header. False: `error`.
bool openLogFile(LogReader& reader, const std::string& path);
// The same over a stream that stays open (the caller closes it), named
// `name` in messages.
bool openLogStream(LogReader& reader, std::FILE* stream, const std::string& name);
// The same over bytes in memory.
bool openLogBytes(LogReader& reader, std::string_view bytes, const std::string& name);
void closeLogFile(LogReader& reader);

enum class ReadResult { record, end, failed };
// The next record. At the end, `note` tells of a dropped unfinished record.
ReadResult nextRecord(LogReader& reader, LogRecord& record);

// Raw lines (for `show`): the next line without its line end. `whole` is
// false for a last line without a line end. False at the end or on failure
// (then `error` is set).
bool nextLine(LogReader& reader, std::string_view& line, bool& whole);

// Milliseconds after the header's midnight for a time of day, on the day
// that brings it nearest to `expectedMs`, never before `earliestMs`'s day.
std::int64_t placeOnDay(std::int64_t timeOfDayMs, std::int64_t expectedMs, std::int64_t earliestMs);

}  // namespace corvlog
