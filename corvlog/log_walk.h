// What every command does around the records of its logs: open each log in
// turn, tell of a cut end, of passes the log cannot tell apart or of a log
// without records, and stop with status 2 on unusable input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "corvlog/commands.h"
#include "corvlog/log_reader.h"
#include "corvlog/output_text.h"

namespace corvlog {

// Reports the reader's error, drops a half-written output file, returns 2.
int inputFailed(const LogReader& reader, Output* out);

// After a log's last record: its notes (passes it could not tell apart, a
// dropped unfinished record) and, when it held none, that it has a header
// only. A log without records is Corvane's own valid output (nothing was
// selected, or a duration of 0): a log with no records, not an error.
void finishLog(const LogReader& reader, std::int64_t records);

// The slot of a record's place within a pass of the file being read: SIZE_MAX
// until the command gives that place's series its index in its own list.
// Two processes of one name are two places, so two series.
std::size_t& seriesSlot(std::vector<std::size_t>& byPlace, std::int32_t place);

// Opens the output; on failure reports it and returns false.
bool startOutput(Output& out, const Options& options);

}  // namespace corvlog
