// SPDX-License-Identifier: GPL-3.0-or-later
#include "lang/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zt {

namespace {

bool IsGbk(const char* codePage) {
    return std::strcmp(codePage, "GBK") == 0;
}

// Bytes of the UTF-8 sequence that starts with `lead` (1 for a stray continuation byte).
std::size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts `in` whole; false (and `out` unchanged) when any of it does not convert.
    bool convert(std::string_view in, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buf[64];
        std::string done;
        while (srcLeft > 0) {
            char* dst = buf;
            std::size_t dstLeft = sizeof buf;
            const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            done.append(buf, static_cast<std::size_t>(dst - buf));
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG)
                return false;
        }
        out += done;
        return true;
    }

  private:
    iconv_t cd_;
};

} // namespace

const char* LegacyCodePage(int languageCode) {
    return languageCode == 2 ? "GBK" : "WINDOWS-1252";
}

std::string DecodeLegacy(std::string_view bytes, const char* codePage) {
    Converter cv("UTF-8", codePage);
    if (!cv.ok())
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() * 2);
    // Character by character, so that one bad byte costs only itself.
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const std::size_t n = IsGbk(codePage) && c >= 0x81 && c <= 0xFE && i + 1 < bytes.size() ? 2 : 1;
        if (cv.convert(bytes.substr(i, n), out)) {
            i += n;
        } else if (n == 2 && cv.convert(bytes.substr(i, 1), out)) {
            i += 1;
        } else {
            out.push_back('?');
            i += 1;
        }
    }
    return out;
}

std::string EncodeLegacy(std::string_view utf8, const char* codePage) {
    Converter cv(codePage, "UTF-8");
    if (!cv.ok())
        return std::string(utf8);
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t n = Utf8Length(static_cast<unsigned char>(utf8[i]));
        cv.convert(utf8.substr(i, n), out); // a character without a legacy form is left out
        i += n;
    }
    return out;
}

std::string_view FitLegacyWidth(std::string_view bytes, std::size_t width, const char* codePage) {
    const bool gbk = IsGbk(codePage);
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const std::size_t n = gbk && c >= 0x81 && c <= 0xFE ? 2 : 1;
        if (i + n > width)
            break;
        i += n;
    }
    return bytes.substr(0, std::min(i, bytes.size()));
}

} // namespace zt
