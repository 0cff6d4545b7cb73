// Follows the driver's trace from read to read: gives the whole records that
// each read holds and the one before did not, and tells when the trace no
// longer begins with what was kept from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ambertap {

struct FollowStep {
    // The trace no longer began with the records kept from it: it was cleared,
    // dropped its oldest records, or the driver started again.
    bool broken = false;
    // The whole records that the trace did not hold before, inside the read.
    // A record that the read ends inside waits for the next read.
    std::span<const std::uint8_t> records;
};

class TraceFollower {
  public:
    FollowStep take(std::span<const std::uint8_t> read);
    // The trace was emptied: the next read begins anew.
    void cleared() { kept_.clear(); }

  private:
    std::size_t continuation(std::span<const std::uint8_t> read) const;

    // The whole records of the last read: the driver's trace, as far as it
    // was taken.
    std::vector<std::uint8_t> kept_;
};

}  // namespace ambertap
