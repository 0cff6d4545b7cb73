// A driver and operating system that follow a script and record every call.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "device_system.h"

namespace ambertap::testing {

class FakeDeviceSystem final : public DeviceSystem {
  public:
    // The script.
    std::optional<int> openError;                    // open fails with this error number
    RequestState requestState = RequestState::done;  // what control() reports
    RequestState completion = RequestState::done;    // how a pending request ends
    int requestError = 0;                            // error number of a failed request
    int closeError = 0;                              // error state that close leaves behind
    std::vector<std::uint8_t> trace;                 // written into the read buffer on success
    std::optional<std::size_t> reportedBytes;        // byte count claimed; the trace size if unset
    std::FILE* messages = nullptr;                   // the error stream of the code under test
    // A read reports moreData, as Windows drivers do, only when the trace
    // does not fit its buffer; and one larger than `failsAbove` bytes fails.
    bool moreDataWhenCut = false;
    std::optional<std::size_t> failsAbove;
    // A clear that is done empties `trace`.

    // The record: "open NAME", "control CODE SIZE", "wait", "close".
    std::vector<std::string> calls;
    long messageBytesAtClose = -1;  // how much of `messages` was written when the device closed

    static constexpr DeviceHandle device = 7;

    std::optional<DeviceHandle> open(const char* name) override {
        calls.push_back(std::string("open ") + name);
        if (openError) {
            error_ = *openError;
            return std::nullopt;
        }
        return device;
    }

    RequestOutcome control(DeviceHandle handle, const ControlRequest& request) override {
        calls.push_back("control " + std::to_string(request.code) + " " +
                        std::to_string(request.outputSize) + onDevice(handle));
        pending_ = request;
        if (failsAbove && request.outputSize > *failsAbove) {
            return finish(RequestState::failed);
        }
        if (moreDataWhenCut && request.output != nullptr) {
            return finish(trace.size() > request.outputSize ? RequestState::moreData
                                                            : RequestState::done);
        }
        return finish(requestState);
    }

    RequestOutcome waitForResult(DeviceHandle handle) override {
        calls.push_back("wait" + onDevice(handle));
        return finish(completion);
    }

    void close(DeviceHandle handle) override {
        calls.push_back("close" + onDevice(handle));
        if (messages != nullptr) {
            std::fflush(messages);
            messageBytesAtClose = std::ftell(messages);
        }
        error_ = closeError;
    }

    int lastError() const override { return error_; }

  private:
    static std::string onDevice(DeviceHandle handle) {
        return handle == device ? "" : " on a handle never opened";
    }

    // The driver writes the trace only when the request is done, which for a
    // pending request is after control() has returned. With more data it
    // writes what fits and fails the request with requestError.
    RequestOutcome finish(RequestState state) {
        if (state == RequestState::failed || state == RequestState::moreData) {
            error_ = requestError;
        }
        if (state != RequestState::done && state != RequestState::moreData) {
            return {state, 0};
        }
        if (pending_.output == nullptr) {
            trace.clear();
            return {state, 0};
        }
        const std::size_t written = std::min(trace.size(), pending_.outputSize);
        if (written > 0) {
            std::memcpy(pending_.output, trace.data(), written);
        }
        return {state, reportedBytes.value_or(trace.size())};
    }

    ControlRequest pending_;
    int error_ = 0;
};

}  // namespace ambertap::testing
