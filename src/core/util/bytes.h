// SPDX-License-Identifier: GPL-3.0-or-later
// Little-endian byte reader and writer for the stored record layouts. Records are
// encoded field by field at fixed offsets; nothing relies on the compiler's struct layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <vector>

namespace zt {

// Each field is bounds-checked once, not byte by byte: the records are decoded many thousand
// times a second when the pair loader is fuzzed, and a check per byte was most of that time.
class ByteWriter {
  public:
    explicit ByteWriter(std::span<std::uint8_t> out) : out_(out) {}

    void u8(std::uint8_t v) { *take(1) = v; }
    void i16(std::int16_t v) {
        const auto u = static_cast<std::uint16_t>(v);
        std::uint8_t* p = take(2);
        p[0] = static_cast<std::uint8_t>(u & 0xFF);
        p[1] = static_cast<std::uint8_t>(u >> 8);
    }
    void u16(std::uint16_t v) { i16(static_cast<std::int16_t>(v)); }
    void bytes(const char* p, std::size_t n) {
        if (n > 0)
            std::memcpy(take(n), p, n);
    }
    std::size_t pos() const { return pos_; }

  private:
    std::uint8_t* take(std::size_t n) {
        if (n > out_.size() - pos_)
            throw std::out_of_range("ByteWriter: past end of buffer");
        std::uint8_t* p = out_.data() + pos_;
        pos_ += n;
        return p;
    }
    std::span<std::uint8_t> out_;
    std::size_t pos_ = 0;
};

class ByteReader {
  public:
    explicit ByteReader(std::span<const std::uint8_t> in) : in_(in) {}

    std::uint8_t u8() { return *take(1); }
    std::int16_t i16() {
        const std::uint8_t* p = take(2);
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
    }
    std::uint16_t u16() { return static_cast<std::uint16_t>(i16()); }
    void bytes(char* p, std::size_t n) {
        if (n > 0)
            std::memcpy(p, take(n), n);
    }
    std::size_t pos() const { return pos_; }

  private:
    const std::uint8_t* take(std::size_t n) {
        if (n > in_.size() - pos_)
            throw std::out_of_range("ByteReader: past end of buffer");
        const std::uint8_t* p = in_.data() + pos_;
        pos_ += n;
        return p;
    }
    std::span<const std::uint8_t> in_;
    std::size_t pos_ = 0;
};

} // namespace zt
