// A file written whole or not at all, on every system: a streamed file that
// holds the bytes before it takes the name.
#include <cstdio>

#include "file_system.h"

namespace ambertap {

WriteOutcome writeWholeFile(const char* name, std::span<const std::uint8_t> bytes,
                            bool replaceExisting) {
    StreamedFile file;
    if (const WriteOutcome created = file.create(name, replaceExisting); !created.succeeded()) {
        return created;
    }
    // A short write leaves the stream's error set, which commit() reports
    // with the system's own error, as it does any write that failed.
    if (!bytes.empty()) {
        std::fwrite(bytes.data(), 1, bytes.size(), file.stream());
    }
    return file.commit();
}

}  // namespace ambertap
