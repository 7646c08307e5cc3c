// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/echo_memory.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>
#include <vector>

namespace zt {

namespace {

constexpr const char* kSection = "echo";

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string Decode(const std::string& key) {
    std::string out;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (key[i] == '%' && i + 2 < key.size() && HexValue(key[i + 1]) >= 0 && HexValue(key[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(key[i + 1]) * 16 + HexValue(key[i + 2]));
            i += 2;
        } else {
            out += key[i];
        }
    }
    return out;
}

// The remembered ports in the file's order (the most recent first), each once. Keys an earlier
// version wrote percent-encoded twice ("%252Fdev%252FttyUSB0") are read as their port too.
std::vector<std::pair<std::string, bool>> Entries(const IniFile& ini) {
    std::vector<std::pair<std::string, bool>> out;
    for (const std::string& key : ini.keys(kSection)) {
        const std::string value = ini.text(kSection, key);
        if (value != "echo" && value != "no-echo")
            continue;
        std::string port = PortOfEchoKey(key);
        if (key.rfind("%25", 0) == 0)
            port = Decode(port);
        if (std::none_of(out.begin(), out.end(), [&](const auto& e) { return e.first == port; }))
            out.emplace_back(port, value == "no-echo");
    }
    return out;
}

} // namespace

std::string EchoKeyOf(const std::string& port) {
    std::string out;
    for (std::size_t i = 0; i < port.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(port[i]);
        const bool edge = (i == 0 || i + 1 == port.size()) && (c == ' ' || c == '\t' || c == '"');
        if (c < 0x20 || c == 0x7f || c == '%' || c == '=' || c == ';' || c == '#' || c == '[' || c == ']' ||
            edge) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string PortOfEchoKey(const std::string& key) {
    return Decode(key);
}

std::optional<bool> RememberedNoEcho(const IniFile& ini, const std::string& port) {
    for (const auto& [p, noEcho] : Entries(ini))
        if (p == port)
            return noEcho;
    return std::nullopt;
}

void RememberNoEcho(IniFile& ini, const std::string& port, bool noEcho) {
    auto entries = Entries(ini);
    entries.erase(
        std::remove_if(entries.begin(), entries.end(), [&](const auto& e) { return e.first == port; }),
        entries.end());
    entries.insert(entries.begin(), {port, noEcho});
    if (entries.size() > kRememberedPorts)
        entries.resize(kRememberedPorts);
    // The section is written afresh, in the new order; every other section is copied as it is.
    IniFile rebuilt;
    for (const std::string& section : ini.sections()) {
        std::string lower = section;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (lower == kSection)
            continue;
        for (const std::string& key : ini.keys(section))
            rebuilt.setValue(section, key, ini.text(section, key));
    }
    for (const auto& [p, n] : entries)
        rebuilt.setValue(kSection, EchoKeyOf(p), n ? "no-echo" : "echo");
    ini = std::move(rebuilt);
}

} // namespace zt
