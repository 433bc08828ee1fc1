#include "corvlog/log_walk.h"

namespace corvlog {

int inputFailed(const LogReader& reader, Output* out) {
    report(reader.error);
    if (out) closeOutput(*out, false);
    return EXIT_INPUT;
}

void finishLog(const LogReader& reader, std::int64_t records) {
    if (!reader.passNote.empty()) report(reader.passNote);
    if (!reader.note.empty()) report(reader.note);
    if (records == 0) report(reader.path + ": no records, the header only");
}

bool startOutput(Output& out, const Options& options) {
    std::string error;
    if (!openOutput(out, options.output, error)) {
        report(error);
        return false;
    }
    return true;
}

std::size_t& seriesSlot(std::vector<std::size_t>& byPlace, std::int32_t place) {
    const auto at = static_cast<std::size_t>(place);
    if (at >= byPlace.size()) byPlace.resize(at + 1, SIZE_MAX);
    return byPlace[at];
}

}  // namespace corvlog
