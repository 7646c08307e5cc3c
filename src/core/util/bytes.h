// Little-endian byte reader and writer for the stored record layouts. Records are
// encoded field by field at fixed offsets; nothing relies on the compiler's struct layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace zt {

class ByteWriter {
  public:
    explicit ByteWriter(std::span<std::uint8_t> out) : out_(out) {}

    void u8(std::uint8_t v) { put(v); }
    void i16(std::int16_t v) {
        const auto u = static_cast<std::uint16_t>(v);
        put(static_cast<std::uint8_t>(u & 0xFF));
        put(static_cast<std::uint8_t>(u >> 8));
    }
    void u16(std::uint16_t v) { i16(static_cast<std::int16_t>(v)); }
    void bytes(const char* p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i)
            put(static_cast<std::uint8_t>(p[i]));
    }
    std::size_t pos() const { return pos_; }

  private:
    void put(std::uint8_t v) {
        if (pos_ >= out_.size())
            throw std::out_of_range("ByteWriter: past end of buffer");
        out_[pos_++] = v;
    }
    std::span<std::uint8_t> out_;
    std::size_t pos_ = 0;
};

class ByteReader {
  public:
    explicit ByteReader(std::span<const std::uint8_t> in) : in_(in) {}

    std::uint8_t u8() { return get(); }
    std::int16_t i16() {
        const std::uint16_t lo = get();
        const std::uint16_t hi = get();
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
    }
    std::uint16_t u16() { return static_cast<std::uint16_t>(i16()); }
    void bytes(char* p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i)
            p[i] = static_cast<char>(get());
    }
    std::size_t pos() const { return pos_; }

  private:
    std::uint8_t get() {
        if (pos_ >= in_.size())
            throw std::out_of_range("ByteReader: past end of buffer");
        return in_[pos_++];
    }
    std::span<const std::uint8_t> in_;
    std::size_t pos_ = 0;
};

} // namespace zt
