// SPDX-License-Identifier: GPL-3.0-or-later
// Fixed-width record texts: always exactly N bytes, padded with blanks on the right and cut
// on every assignment. Bytes above 127 are kept as they are.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace zt {

// The text with trailing blanks removed and cut before the first NUL character.
std::string TrimFixed(std::string_view s);

template <std::size_t N> struct FixedText {
    std::array<char, N> bytes{};

    FixedText() { bytes.fill(' '); }
    FixedText(std::string_view s) { assign(s); } // NOLINT: implicit on purpose, like a text field

    FixedText& operator=(std::string_view s) {
        assign(s);
        return *this;
    }
    void assign(std::string_view s) {
        for (std::size_t i = 0; i < N; ++i)
            bytes[i] = i < s.size() ? s[i] : ' ';
    }
    // All N bytes, blanks and NULs included.
    std::string raw() const { return std::string(bytes.data(), N); }
    // The reading of the field: TrimFixed of the raw bytes.
    std::string trimmed() const { return TrimFixed(std::string_view(bytes.data(), N)); }
    static constexpr std::size_t size() { return N; }

    bool operator==(const FixedText&) const = default;
};

} // namespace zt
