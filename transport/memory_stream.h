#pragma once
// A ByteStream over bytes in memory: reads come from its own copy of the input, sends are
// collected. For frames carried inside uQuery responses, and for tests and fuzz targets.

#include <cstring>
#include <initializer_list>
#include <span>
#include <vector>

#include "transport/byte_stream.h"

namespace orra {

class MemoryStream : public ByteStream {
 public:
  explicit MemoryStream(std::span<const uint8_t> input) : input_(input.begin(), input.end()) {}
  explicit MemoryStream(std::vector<uint8_t> input) : input_(std::move(input)) {}
  MemoryStream(std::initializer_list<uint8_t> input) : input_(input) {}

  bool ReadExactly(void* destination, size_t n) override {
    if (n > input_.size() - position_) return false;
    if (n > 0) std::memcpy(destination, input_.data() + position_, n);
    position_ += n;
    return true;
  }
  IoResult ReceiveSome(void* destination, size_t n) override {
    const size_t left = input_.size() - position_;
    if (left == 0) return {IoStatus::kClosed, 0};
    const size_t take = n < left ? n : left;
    std::memcpy(destination, input_.data() + position_, take);
    position_ += take;
    return {IoStatus::kOk, take};
  }
  bool SendAll(const void* bytes, size_t n) override {
    const auto* p = static_cast<const uint8_t*>(bytes);
    sent_.insert(sent_.end(), p, p + n);
    return true;
  }

  const std::vector<uint8_t>& sent() const { return sent_; }
  size_t Remaining() const { return input_.size() - position_; }

 private:
  std::vector<uint8_t> input_;
  size_t position_ = 0;
  std::vector<uint8_t> sent_;
};

}  // namespace orra
