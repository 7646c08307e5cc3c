// SPDX-License-Identifier: GPL-3.0-or-later
// The echo setting that last worked on each serial port, kept by the command-line program in its
// INI file: section [echo], one key a port (its device path, with only the characters INI syntax
// gives a meaning to written as %XX), value "echo" or "no-echo", the most recently used port
// first and at most kRememberedPorts of them, so the file stays small however many ports and
// adapters come and go.
#pragma once

#include "files/ini_file.h"

#include <cstddef>
#include <optional>
#include <string>

namespace zt {

inline constexpr std::size_t kRememberedPorts = 32;

// The setting remembered for `port` (true: no echo), or nullopt.
std::optional<bool> RememberedNoEcho(const IniFile& ini, const std::string& port);
// Puts `port` with its setting first; the least recently used ports beyond the limit are
// dropped. Other sections of the file stay as they were.
void RememberNoEcho(IniFile& ini, const std::string& port, bool noEcho);

// A port's key and back.
std::string EchoKeyOf(const std::string& port);
std::string PortOfEchoKey(const std::string& key);

} // namespace zt
