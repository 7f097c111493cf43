#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/stream.h"

namespace tarnu::testing {

// A head, then a unit repeated count times, produced as it is read.
class RepeatSource final : public Stream {
public:
    RepeatSource(std::string head, std::string unit, std::int64_t count)
        : head_(std::move(head)), unit_(std::move(unit)), count_(count) {}

    std::size_t read(void* buffer, std::size_t n) override {
        auto* out = static_cast<char*>(buffer);
        std::size_t done = 0;
        while (done < n && pos_ < size()) {
            const std::int64_t inUnits = pos_ - static_cast<std::int64_t>(head_.size());
            const std::string& from = inUnits < 0 ? head_ : unit_;
            const auto at = static_cast<std::size_t>(
                inUnits < 0 ? pos_ : inUnits % static_cast<std::int64_t>(unit_.size()));
            const std::size_t take = std::min(n - done, from.size() - at);
            std::memcpy(out + done, from.data() + at, take);
            done += take;
            pos_ += static_cast<std::int64_t>(take);
        }
        return done;
    }
    void write(const void*, std::size_t) override {}
    std::int64_t position() const override { return pos_; }
    void seek(std::int64_t position) override { pos_ = position; }
    std::int64_t size() const override {
        return static_cast<std::int64_t>(head_.size()) +
               count_ * static_cast<std::int64_t>(unit_.size());
    }
    void resize(std::int64_t) override {}

private:
    std::string head_, unit_;
    std::int64_t count_;
    std::int64_t pos_ = 0;
};

}  // namespace tarnu::testing
