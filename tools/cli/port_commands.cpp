// SPDX-License-Identifier: GPL-3.0-or-later
#include "port_commands.h"

#include "port_search.h"

#include "files/echo_memory.h"
#include "files/ini_file.h"
#include "util/shown_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QStandardPaths>

#include <cstdio>
#include <filesystem>
#include <iostream>

namespace zt {

namespace {

QString EchoFile() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath("ztprog/ztprog-cli.ini");
}

// The echo belongs to the cable, so a stable name (a /dev/serial/by-id link) keeps it for that
// cable, where ttyUSB numbers go to whichever adapter comes first.
std::string EchoPort(const std::string& port) {
    return DevicePathOf(port);
}

const char* EchoWords(bool noEcho) {
    return noEcho ? "no echo" : "echoing cable";
}

QString UsbIds(const SystemPort& p) {
    if (!p.hasUsbIds)
        return "-";
    return QString("%1:%2").arg(p.vendorId, 4, 16, QChar('0')).arg(p.productId, 4, 16, QChar('0'));
}

QString Field(const QString& s) {
    QString out = s.simplified(); // no tab or line break inside a column
    return out.isEmpty() ? "-" : out;
}

} // namespace

std::optional<bool> RememberedNoEcho(const std::string& port) {
    IniFile ini;
    if (!ini.loadFile(EchoFile().toStdString()))
        return std::nullopt;
    return zt::RememberedNoEcho(ini, EchoPort(port));
}

bool StoreNoEcho(const std::string& port, bool noEcho) {
    const std::string path = EchoFile().toStdString();
    IniFile ini;
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        if (!ini.loadFile(path))
            return false; // a file that cannot be read is never replaced
    } else {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    }
    RememberNoEcho(ini, EchoPort(port), noEcho);
    return ini.saveFile(path);
}

int PortsCommand() {
    for (const SystemPort& p : ListSystemPorts())
        std::cout << Field(p.name).toStdString() << '\t' << Field(p.device).toStdString() << '\t'
                  << Field(p.description).toStdString() << '\t' << UsbIds(p).toStdString() << '\n';
    return 0;
}

int PreparePort(AppState& app, LinkEngine& engine, const QCommandLineParser& parser,
                const PortOptions& options, bool verbose) {
    const bool automatic = app.ComPortName == "auto";
    const QStringList extra = parser.values(options.searchPath);
    if (!extra.isEmpty() && !automatic) {
        std::cerr << "ztprog-cli: --search-path goes with --port auto\n";
        return 2;
    }
    if (!automatic) {
        const auto remembered = RememberedNoEcho(app.ComPortName);
        if (remembered)
            engine.setNoEcho(*remembered);
        if (verbose)
            std::cerr << "Port " << ShownText(app.ComPortName) << ": starting with the echo setting "
                      << EchoWords(engine.noEcho())
                      << (remembered ? " (remembered from an earlier exchange)"
                                     : " (the default; nothing remembered)")
                      << '\n';
        return 0;
    }

    PortSearch search;
    QEventLoop loop;
    SearchResult result;
    search.onTrying = [&](const std::string& port, std::size_t index, std::size_t count) {
        if (verbose)
            std::cerr << "Looking for the radio on " << ShownText(port) << " (" << index + 1 << " of "
                      << count << ")\n";
    };
    search.onSkipped = [&](const SkippedPort& s) {
        if (verbose)
            std::cerr << "  " << ShownLine(SkippedPortText(app, s)) << '\n';
    };
    search.onEnded = [&](const SearchResult& r) {
        result = r;
        loop.quit();
    };
    search.start(SearchCandidates(extra, ListSystemPorts()));
    if (search.running())
        loop.exec();
    if (!result.found()) {
        std::string why = "no radio answered";
        if (result.skipped.empty())
            why += ": there is no serial port to try (connect the cable, or give --search-path)";
        for (std::size_t i = 0; i < result.skipped.size(); ++i)
            why += (i == 0 ? ": " : "; ") + SkippedPortText(app, result.skipped[i]);
        std::cerr << "ztprog-cli: " << ShownLine(why) << '\n';
        return 1;
    }
    app.ComPortName = result.port;
    engine.setNoEcho(result.noEcho);
    StoreNoEcho(result.port, result.noEcho);
    if (verbose)
        std::cerr << "The radio answered on " << ShownText(result.port) << ": starting with the echo setting "
                  << EchoWords(result.noEcho) << " (found by the search)\n";
    return 0;
}

void RememberEcho(const AppState& app, const LinkEngine& engine) {
    if (engine.lastResult().mode != LinkMode::None && engine.lastResult().ok() && !app.ComPortName.empty())
        StoreNoEcho(app.ComPortName, engine.noEcho());
}

} // namespace zt
