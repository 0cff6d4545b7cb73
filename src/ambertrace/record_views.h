// The ways `show` prints the records of a trace, block by block: each block
// holds whole records, but for a cut one at the very end of the trace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>

#include "command_line.h"
#include "message_views.h"

namespace ambertap {

class RecordView {
  public:
    virtual ~RecordView() = default;

    // A new trace begins: records count from 1 again. `file` names it when
    // there is more than one; `facts` are those of a saved trace file.
    virtual int beginTrace(const char* file, const SavedTraceFacts* facts) {
        static_cast<void>(file);
        static_cast<void>(facts);
        return 0;
    }
    // Prints the records of `block`, whose first byte lies at `offset` in its
    // trace. Returns 0, or the C library's error number of a failed write.
    virtual int show(std::span<const std::uint8_t> block, std::uint64_t offset) = 0;
};

std::unique_ptr<RecordView> makeRecordView(const CommandLine& line, std::FILE* out);

}  // namespace ambertap
