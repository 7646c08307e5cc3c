// SPDX-License-Identifier: GPL-3.0-or-later
// The serial port of ztprog-cli: the ports command, --port auto (finding the radio, with
// --search-path for devices the system does not list) and the echo setting remembered per port
// between runs, so that an exchange starts with the setting that worked last time.
#pragma once

#include "app/app_state.h"
#include "link/link_engine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include <optional>
#include <string>

namespace zt {

struct PortOptions {
    QCommandLineOption searchPath{"search-path",
                                  "With --port auto: also try this device (a pseudo-terminal, a link); "
                                  "tried before the system's ports. May be given more than once.",
                                  "path"};
    void addTo(QCommandLineParser& parser) { parser.addOption(searchPath); }
};

// ports: one line per serial port of the system, USB adapters first: name, device, description
// and USB ids (vendor:product, "-" when none), separated by tabs.
int PortsCommand();

// Before an exchange: with --port auto the radio is searched for and its port chosen (1 with the
// reason of every port tried when none answers); otherwise the echo setting remembered for the
// port starts the exchange. --verbose says which setting it starts with. Returns 0 to go on, or
// the exit status (2: --search-path without --port auto).
int PreparePort(AppState& app, LinkEngine& engine, const QCommandLineParser& parser,
                const PortOptions& options, bool verbose);
// After an exchange: an exchange that succeeded keeps its echo setting for the port.
void RememberEcho(const AppState& app, const LinkEngine& engine);

// The echo settings remembered per port, in the user's configuration folder
// ($XDG_CONFIG_HOME/ztprog/ztprog-cli.ini), by the port's name as given.
std::optional<bool> RememberedNoEcho(const std::string& port);
bool StoreNoEcho(const std::string& port, bool noEcho);

} // namespace zt
