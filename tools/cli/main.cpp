// SPDX-License-Identifier: GPL-3.0-or-later
// ztprog-cli: the radio link from the command line.
//
//   ztprog-cli [options] read FILE.dat     read the radio into a new document, save the pair
//   ztprog-cli [options] write FILE.dat    open a pair and write it to the radio
//   ztprog-cli [options] write FILE.dat --repeat --log LOG.csv   ... to radio after radio, logged
//   ztprog-cli [options] info              read the radio information area and print it
//   ztprog-cli [options] image FILE.bin    read the radio and save its raw 9280-byte memory
//   ztprog-cli [options] decode IMAGE.bin FILE.dat   raw memory -> data file pair
//   ztprog-cli [options] encode FILE.dat IMAGE.bin   data file pair -> raw memory
//   ztprog-cli [options] new FILE.dat      save a new document as the pair FILE.dat/FILE.fre
//   ztprog-cli [options] export-csv FILE.dat OUT.csv   the pair's channels as CSV
//   ztprog-cli [options] import-csv IN.csv FILE.dat    CSV channels into the pair (all rows or none;
//                                   --partial, --from-channel G:C, --replace, --update-columns)
//   ztprog-cli ports                       list the serial ports (see port_commands.h)
//   ztprog-cli [options] backups           list the backups kept, newest first (tab-separated)
//   ztprog-cli [options] restore FOLDER    write a backup's memory back into the radio, byte for byte
//
// Every exchange first reads the radio's information area, so that its backups name the radio on
// the cable. Every complete read (read, image), the radio's memory before every write and restore
// (--no-keep-before-write to skip that read), and every write and restore are kept as backups in
// the folder the window program uses too (--backup-dir to choose another, --no-backup for none); a
// write whose backups cannot be kept does not start unless --no-backup was given. write and
// restore --verify read the radio back after the write and print "verified" or what differs.
//
// Exit status 0 on success; otherwise 1 (2 for a usage error) with one line on stderr saying why;
// after write --verify, 3 when the radio holds something else than was written and 4 when it
// stopped answering during the read-back (the write itself was acknowledged).
#include "batch_command.h"
#include "cli_host.h"
#include "csv_commands.h"
#include "port_commands.h"
#include "port_search.h"
#include "serial_link.h"
#include "stop_signals.h"

#include "app/app_state.h"
#include "files/app_settings.h"
#include "files/backup_store.h"
#include "files/data_files.h"
#include "files/file_io.h"
#include "files/version_table.h"
#include "link/link_engine.h"
#include "link/radio_image.h"
#include "model/model_config.h"
#include "util/shown_text.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

using namespace zt;

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitVerifyDiffers = 3;
constexpr int kExitVerifyUnfinished = 4;
constexpr int kExitStopped = 130; // as a shell reports a program ended by SIGINT

// Texts from files and file names may hold control characters: they are shown escaped.
int Fail(const std::string& why) {
    std::cerr << "ztprog-cli: " << ShownText(OneLine(why)) << '\n';
    return kExitFailure;
}

// What a command works on.
struct Run {
    AppState& app;
    Document& doc;
    LinkEngine& engine;
    const CliPrompter& prompter;
    CliHost& host;
    const SerialLinkPort& port;
    std::string file1;
    std::string file2;
    CsvImportChoice csv;          // import-csv's placement and --partial
    BackupStore* store = nullptr; // the backups folder; null with --no-backup
};

// A file operation failed: the message the file layer showed, else `fallback`.
int FileFailure(const Run& r, const std::string& fallback) {
    return Fail(r.prompter.lastText().empty() ? fallback : r.prompter.lastText());
}

// Why an exchange (or its start) failed, in one line, from the engine's result; a write cut short
// after its first block adds what the radio may now hold and how to restore it.
std::string ExchangeFailure(const AppState& app, const CliHost& host, const LinkResult& r) {
    if (!r.partialWrite.empty())
        return OneLine(r.text.empty() ? "the exchange with the radio failed." : r.text) + " " +
               OneLine(r.partialWrite);
    switch (r.outcome) {
    case LinkOutcome::BackupNotKept:
        return "nothing was written: no backup could be kept before the write (" + host.backupError +
               "); --no-backup writes without one";
    case LinkOutcome::OtherRadio:
        return "nothing was written: " + OneLine(r.text) + " (--other-radio restores it there)";
    case LinkOutcome::OtherVersion:
        // A damaged table, not the radio, is then why its version is not known.
        if (const std::string damaged = VersionTableProblemText(app.versions); !damaged.empty())
            return damaged + " (radio " + r.radioVersion + ")";
        if (r.handOver)
            return app.LangTextOr(9062, "This radio needs another version of the programming software.") +
                   " (radio " + r.radioVersion + ")";
        [[fallthrough]];
    case LinkOutcome::NotConfirmed:
    case LinkOutcome::BandRefused:
        if (r.declined)
            return "not confirmed (use --yes): " + OneLine(r.text);
        break;
    default:
        break;
    }
    return r.text.empty() ? "the exchange with the radio failed" : r.text;
}

// Runs one exchange to its end on the event loop; 0 when it succeeded. With --verbose it then
// says whether the port's driver was in low-latency mode, which decides how long a read takes on
// a USB serial adapter.
//
// SIGINT and SIGTERM stop the exchange without leaving the radio in the middle of it: the block in
// flight is finished and the end frame sent; then what the radio may hold is said (a write cut
// short names the last channel the radio acknowledged and the backup of its memory), and the
// status is 130.
template <class Start> int RunExchange(Run& r, Start&& start) {
    StopSignals stopSignals([&r] {
        if (!r.engine.busy() || r.engine.stopping())
            return;
        r.host.closeProgress();
        std::cerr << "Stopping after the block in progress ..." << std::endl;
        r.engine.stopAfterBlock();
    });
    if (start()) {
        QCoreApplication::exec(); // until LinkHost::exchangeEnded
        if (r.prompter.verbose)
            std::cerr << "Port " << ShownText(r.app.ComPortName) << ": low-latency mode "
                      << (r.port.lowLatency() ? "on" : "off (the driver does not offer it or refused it)")
                      << '\n';
    }
    const LinkResult& result = r.engine.lastResult();
    if (result.outcome == LinkOutcome::Aborted && stopSignals.received()) {
        Fail(ExchangeFailure(r.app, r.host, result));
        if (result.mode == LinkMode::Write && result.partialWrite.empty())
            std::cerr << "ztprog-cli: nothing was written: the radio holds what it held before.\n";
        return kExitStopped;
    }
    return result.ok() ? 0 : Fail(ExchangeFailure(r.app, r.host, result));
}

void PrintInfo(const AppState& app, const RadioInfoRecord& info) {
    auto row = [&](int id, const char* fallback, const std::string& value) {
        // The radio's texts are bytes of its own code page: only control characters are escaped.
        std::cout << OneLine(app.LangTextOr(id, fallback)) << ": " << ShownText(value, HighBytes::Legacy)
                  << '\n';
    };
    row(21002, "Sales area code", TrimFixed(info.SalesArea));
    row(21003, "Production batch number", info.ProductionBatch.trimmed());
    row(21004, "Customer code", info.CustomerCode.trimmed());
    // Model, band and version are the program's, not the radio's, but the information window
    // shows them with the rest, so they are printed in the same order.
    row(21005, "Model", info.InfoModel);
    row(21006, "Band", BandTextFromCode(info.InfoBandCode));
    row(21007, "Serial number", info.SerialNumber.trimmed());
    row(21008, "Factory date", info.FactoryDate.trimmed());
    row(21009, "Repair date", info.RepairDate.trimmed());
    row(21010, "Version information", info.InfoVersion);
    row(21011, "Repair reason", info.RepairReason.trimmed());
    row(21013, "Dealer code", info.DealerCode.trimmed());
    row(21014, "Stock-in date", info.StockInDate.trimmed());
    row(21015, "Sale date", info.SaleDate.trimmed());
    row(21016, "Handled by", info.HandledBy.trimmed());
}

int WriteImageFile(const std::string& path, const RadioImage& img) {
    FileError error;
    return WriteFileReplacing(path, img, &error) ? 0 : Fail("cannot write " + error.text());
}

// Saves the working copy as the pair `path` (and its channel file).
int SavePair(Run& r, const std::string& path) {
    r.app.DocFileName = path;
    r.app.IsUntitled = false;
    return SaveDocument(r.app, r.doc) ? 0 : FileFailure(r, "cannot write " + ShownText(path));
}

// ---- the commands ---------------------------------------------------------------------------

int CmdNew(Run& r) {
    return SavePair(r, r.file1);
}

int CmdDecode(Run& r) {
    FileError error;
    const auto bytes = ReadFileBytes(r.file1, kRadioImageSize + 1, &error);
    if (!bytes)
        return Fail("cannot read " + error.text());
    if (bytes->size() != kRadioImageSize)
        return Fail(ShownText(r.file1) + " is not a radio memory image (" + std::to_string(kRadioImageSize) +
                    " bytes)");
    std::copy(bytes->begin(), bytes->end(), r.engine.image().begin());
    AcceptReadImage(r.engine, r.app, r.doc);
    return SavePair(r, r.file2);
}

int CmdEncode(Run& r) {
    RadioImage img;
    ClearRadioImage(img);
    EncodeRadioImage(r.app, r.doc.work, img);
    return WriteImageFile(r.file2, img);
}

int CmdInfo(Run& r) {
    if (const int status = RunExchange(r, [&] { return r.engine.startInfoRead(); }))
        return status;
    PrintInfo(r.app, r.engine.radioInfo());
    return 0;
}

// With --verify: "verified", or one line for each channel (and the settings) that differs.
int WriteResult(Run& r) {
    switch (r.engine.lastResult().verify) {
    case VerifyStatus::Verified:
        std::cout << "verified\n";
        return 0;
    case VerifyStatus::Differs:
        for (const std::string& line : DescribeDifferences(r.app, r.engine.verifyDifferences(), 0))
            std::cout << line << '\n';
        std::cerr << "ztprog-cli: " << ShownLine(r.app.LangTextOr(33213, "The radio holds something else."))
                  << '\n';
        return kExitVerifyDiffers;
    case VerifyStatus::Unfinished:
        // A write whose acknowledgements came more than once was never confirmed at all.
        std::cerr << "ztprog-cli: "
                  << ShownLine(r.engine.lastResult().repeatedAcks
                                   ? r.engine.lastResult().text
                                   : r.app.LangTextOr(33214, "The write is not verified."))
                  << '\n';
        return kExitVerifyUnfinished;
    case VerifyStatus::NotRun:
        break;
    }
    return 0;
}

int CmdWrite(Run& r) {
    r.host.documentName = QFileInfo(QString::fromStdString(r.file1)).fileName().toStdString();
    if (const int status = RunExchange(r, [&] { return r.engine.startWrite(); }))
        return status;
    return WriteResult(r);
}

// The backup's memory image goes back into the radio byte for byte, after the radio's information
// is read: another model or band family is refused, another radio only with --other-radio.
int CmdRestore(Run& r) {
    if (!r.store)
        return Fail("restore needs the backups folder (not --no-backup)");
    std::string error;
    const auto entry = FindBackup(*r.store, r.file1, &error);
    if (!entry)
        return Fail(error);
    const auto image = ReadBackupImage(*entry, &error);
    if (!image)
        return Fail(error);
    r.host.documentName = QFileInfo(QString::fromStdString(entry->folder)).fileName().toStdString();
    const RestoreTarget target = RestoreTargetOf(*image, entry->serial);
    if (const int status = RunExchange(r, [&] { return r.engine.startRestore(*image, target); }))
        return status;
    std::cout << "restored " << ShownText(entry->folder) << '\n';
    return WriteResult(r);
}

// The backups kept, newest first: a header line and one tab-separated line a backup.
int CmdBackups(Run& r) {
    if (!r.store)
        return Fail("backups needs the backups folder (not --no-backup)");
    std::cout << "folder\ttime\tkind\tserial\tmodel\tdocument\tverified\tresult\tchannels\tsales area\t"
                 "customer code\n";
    // Fields come from files on disk: control characters (tabs among them) are shown escaped.
    auto path = [](const std::string& s) { return ShownText(OneLine(s)); };
    auto field = [](const std::string& s) { return ShownText(OneLine(s), HighBytes::Legacy); };
    for (const BackupEntry& e : r.store->list()) {
        const char* result = !IsWriteBackup(e.kind)           ? ""
                             : e.check == BackupCheck::Failed ? "failed"
                                                              : "written";
        std::cout << path(e.folder) << '\t' << BackupIsoTime(e) << '\t' << BackupKindText(e.kind) << '\t'
                  << field(e.serial) << '\t' << field(e.model) << '\t' << path(e.document) << '\t'
                  << BackupCheckText(e.check) << '\t' << result << '\t' << e.channelCount << '\t'
                  << field(e.salesArea) << '\t' << field(e.customerCode) << '\n';
    }
    return 0;
}

// read and image: the files are written only after the whole exchange succeeded, so a failed read
// leaves what was there untouched.
int CmdImage(Run& r) {
    if (const int status = RunExchange(r, [&] { return r.engine.startRead(); }))
        return status;
    return WriteImageFile(r.file1, r.engine.image());
}

int CmdRead(Run& r) {
    if (const int status = RunExchange(r, [&] { return r.engine.startRead(); }))
        return status;
    AcceptReadImage(r.engine, r.app, r.doc);
    return SavePair(r, r.file1);
}

struct Command {
    const char* name;
    int files;      // file names it takes
    bool radio;     // talks to the radio: needs --port
    bool opensPair; // its first file is a data file pair, opened before it runs
    int (*run)(Run&);
};

const Command kCommands[] = {
    {"read", 1, true, false, CmdRead},
    {"write", 1, true, true, CmdWrite},
    {"info", 0, true, false, CmdInfo},
    {"image", 1, true, false, CmdImage},
    {"decode", 2, false, false, CmdDecode},
    {"encode", 2, false, true, CmdEncode},
    {"new", 1, false, false, CmdNew},
    // The CSV commands open the data file pair themselves.
    {"export-csv", 2, false, false,
     [](Run& r) { return ExportCsvCommand(r.app, r.doc, r.engine.radioInfo(), r.file1, r.file2); }},
    {"import-csv", 2, false, false,
     [](Run& r) {
         return ImportCsvCommand(r.app, r.doc, r.engine.radioInfo(), r.file1, r.file2, r.csv,
                                 r.prompter.verbose);
     }},
    {"ports", 0, false, false, [](Run&) { return PortsCommand(); }},
    {"backups", 0, false, false, CmdBackups},
    {"restore", 1, true, false, CmdRestore},
};

// The settings file a command saves (read, decode, new, import-csv), or nullptr.
const QString* SavedSettingsFile(const std::string& command, const QStringList& files) {
    if (command == "read" || command == "new")
        return &files[0];
    if (command == "decode" || command == "import-csv")
        return &files[1];
    return nullptr;
}

// A command never writes onto a file it reads: the files it writes (the saved pair, the image,
// the CSV file, the batch log) are checked against the files it reads (an image, a CSV file, the
// opened pair) before anything happens. The message (Fail escapes it), or "" when none is the same
// file.
std::string WritesOntoAnInput(const std::string& command, const QStringList& files, const QString& log) {
    const auto pair = [](const QString& dat) {
        const std::string d = dat.toStdString();
        return std::vector<std::string>{d, ChannelFilePath(d)};
    };
    std::vector<std::string> reads, writes;
    if (command == "decode") {
        reads = {files[0].toStdString()};
        writes = pair(files[1]);
    } else if (command == "import-csv") {
        reads = {files[0].toStdString()};
        writes = pair(files[1]);
    } else if (command == "encode" || command == "export-csv") {
        reads = pair(files[0]);
        writes = {files[1].toStdString()};
    } else if (command == "write" && !log.isEmpty()) {
        reads = pair(files[0]);
        writes = {log.toStdString()};
    }
    for (const std::string& w : writes)
        for (const std::string& r : reads)
            if (SameFile(w, r))
                return w + (w == r ? " is" : " is the same file as " + r + ",") +
                       " one of the files this command reads, so it is not written over (nothing was "
                       "written)";
    return {};
}

const Command* FindCommand(const std::string& name) {
    for (const Command& c : kCommands)
        if (name == c.name)
            return &c;
    return nullptr;
}

// The data folder of the window program, so that both keep their backups in one place.
QString SharedDataFolder() {
    const QString own = QCoreApplication::applicationName();
    QCoreApplication::setOrganizationName("ztprog");
    QCoreApplication::setApplicationName("ztprog");
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCoreApplication::setApplicationName(own);
    return dir;
}

} // namespace

int main(int argc, char** argv) {
    // Qt's own event loop rather than the GLib one: with no windows there is nothing to integrate,
    // and it turns a received reply into the next request with fewer system calls (the GLib loop
    // wakes itself through an extra descriptor whenever the port's notifiers change).
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QCoreApplication qapp(argc, argv);
    QCoreApplication::setApplicationName("ztprog-cli");
    QCoreApplication::setApplicationVersion(ZT_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Reads, writes and inspects a ZT-450E radio; converts between raw memory images and data files.\n"
        "Commands: read FILE.dat | write FILE.dat | info | image FILE.bin | decode IMAGE.bin FILE.dat |\n"
        "          encode FILE.dat IMAGE.bin | new FILE.dat | export-csv FILE.dat OUT.csv |\n"
        "          import-csv IN.csv FILE.dat | ports | backups | restore FOLDER\n"
        "backups lists the backups kept, newest first, one tab-separated line each.\n"
        "restore writes a backup's memory image back into the radio byte for byte (FOLDER: its path or\n"
        "its name in the backups folder).\n"
        "ports lists the serial ports (name, device, description, USB vendor:product).\n"
        "--port auto finds the radio: the handshake is tried on each port (--search-path devices\n"
        "first, then USB adapters, then the other ports) and nothing else is sent until one answers.\n"
        "The echo setting that worked on a port is remembered in ~/.config/ztprog/ztprog-cli.ini.");
    parser.addHelpOption();
    const QCommandLineOption portOpt(
        {"p", "port"}, "Serial port: a name (ttyUSB0, COM3), a device path, or auto to find the radio.",
        "port");
    const QCommandLineOption yesOpt({"y", "yes"},
                                    "Confirm every question (reading, writing, compatibility).");
    const QCommandLineOption passwordOpt("password", "The radio's programming password.", "password");
    const QCommandLineOption langOpt("lang-dir",
                                     "Folder of the language files (default: language/ beside "
                                     "the program).",
                                     "dir");
    const QCommandLineOption retriesOpt(
        "retries", "How often to start again when the radio stops answering (default 1).", "n", "1");
    const QCommandLineOption quietOpt({"q", "quiet"}, "No progress bar.");
    const QCommandLineOption verboseOpt({"v", "verbose"}, "Show every message of the exchange.");
    const QCommandLineOption factoryOpt("factory",
                                        "new: start from the factory data template (as the "
                                        "Initialise command does) instead of the new-document one.");
    const QCommandLineOption verifyOpt("verify",
                                       "write: read the radio back after writing and compare (exit status 3 "
                                       "when it holds something else, 4 when it stopped answering).");
    const QCommandLineOption backupDirOpt("backup-dir",
                                          "Keep the backups of reads and writes in this folder (default: "
                                          "the backups folder of ztprog in the user's data folder).",
                                          "dir");
    const QCommandLineOption noBackupOpt(
        "no-backup", "Keep no backup of reads and writes (without it, a write whose backup cannot be kept "
                     "is refused).");
    // --version alone: -v is --verbose.
    const QCommandLineOption repeatOpt("repeat",
                                       "write: write radio after radio on the port until interrupted (Ctrl+C "
                                       "ends after the radio in progress); exit status 1 when one failed.");
    const QCommandLineOption logOpt("log", "write --repeat: the batch log (CSV), one line a radio.", "file");
    const QCommandLineOption keepBeforeOpt(
        "keep-before-write", "write, restore: read the radio's whole memory first and keep it as a backup of "
                             "kind \"before write\" (the default).");
    const QCommandLineOption noKeepBeforeOpt(
        "no-keep-before-write", "write, restore: do not read the radio's memory before writing.");
    const QCommandLineOption otherRadioOpt(
        "other-radio",
        "restore: write the backup also into a radio with another serial number than its own.");
    const QCommandLineOption versionOpt("version", "Show the program's version.");
    parser.addOptions({portOpt, yesOpt, passwordOpt, langOpt, retriesOpt, quietOpt, verboseOpt, factoryOpt,
                       verifyOpt, backupDirOpt, noBackupOpt, versionOpt, repeatOpt, logOpt, keepBeforeOpt,
                       noKeepBeforeOpt, otherRadioOpt});
    for (const QCommandLineOption& o : ImportCsvOptions())
        parser.addOption(o);
    PortOptions portOptions;
    portOptions.addTo(parser);
    parser.addPositionalArgument(
        "command",
        "read, write, info, image, decode, encode, new, export-csv, import-csv, ports, backups or restore");
    parser.addPositionalArgument("files", "the files of the command", "[files...]");
    parser.process(qapp);
    if (parser.isSet(versionOpt)) {
        std::cout << "ztprog-cli " << ZT_VERSION << '\n';
        return 0;
    }

    const QStringList pos = parser.positionalArguments();
    if (pos.isEmpty()) {
        std::cerr << "ztprog-cli: no command given (read, write, info, image, decode, encode, new, "
                     "export-csv, import-csv, ports, backups, restore); see --help\n";
        return kExitUsage;
    }
    const std::string name = pos.first().toStdString();
    const QStringList files = pos.mid(1);
    const Command* command = FindCommand(name);
    if (!command) {
        std::cerr << "ztprog-cli: unknown command \"" << ShownText(name) << "\"; see --help\n";
        return kExitUsage;
    }
    if (files.size() != command->files) {
        std::cerr << "ztprog-cli: " << name << " takes " << command->files << " file name"
                  << (command->files == 1 ? "" : "s") << "; see --help\n";
        return kExitUsage;
    }
    // Refused before anything else happens (a read would otherwise talk to the radio first).
    if (const QString* saved = SavedSettingsFile(name, files);
        saved && !IsSettingsFileName(saved->toStdString())) {
        std::cerr << "ztprog-cli: "
                  << "a settings file name must end in .dat, so that its channel file (.fre) belongs to "
                     "it alone: "
                  << ShownText(saved->toStdString()) << '\n';
        return kExitUsage;
    }
    if (const std::string onto = WritesOntoAnInput(name, files, parser.value(logOpt)); !onto.empty())
        return Fail(onto);
    bool retriesOk = false;
    const int retries = parser.value(retriesOpt).toInt(&retriesOk);
    if (!retriesOk || retries < 0) {
        std::cerr << "ztprog-cli: --retries takes a number of 0 or more\n";
        return kExitUsage;
    }
    if (parser.isSet(factoryOpt) && command->run != CmdNew) {
        std::cerr << "ztprog-cli: --factory goes with the new command only\n";
        return kExitUsage;
    }
    const bool writes = command->run == CmdWrite || command->run == CmdRestore;
    if (parser.isSet(verifyOpt) && !writes) {
        std::cerr << "ztprog-cli: --verify goes with the write and restore commands only\n";
        return kExitUsage;
    }
    if ((parser.isSet(keepBeforeOpt) || parser.isSet(noKeepBeforeOpt)) &&
        (!writes || (parser.isSet(keepBeforeOpt) && parser.isSet(noKeepBeforeOpt)))) {
        std::cerr << "ztprog-cli: --keep-before-write or --no-keep-before-write goes with write or restore\n";
        return kExitUsage;
    }
    if (parser.isSet(otherRadioOpt) && command->run != CmdRestore) {
        std::cerr << "ztprog-cli: --other-radio goes with the restore command only\n";
        return kExitUsage;
    }
    if (parser.isSet(keepBeforeOpt) && parser.isSet(noBackupOpt)) {
        std::cerr << "ztprog-cli: --keep-before-write keeps a backup: not with --no-backup\n";
        return kExitUsage;
    }
    if ((parser.isSet(repeatOpt) || parser.isSet(logOpt)) &&
        (command->run != CmdWrite || parser.isSet(repeatOpt) != parser.isSet(logOpt))) {
        std::cerr << "ztprog-cli: --repeat and --log go together, with the write command\n";
        return kExitUsage;
    }
    if (parser.isSet(backupDirOpt) && parser.isSet(noBackupOpt)) {
        std::cerr << "ztprog-cli: --backup-dir and --no-backup exclude each other\n";
        return kExitUsage;
    }
    CsvImportChoice csvChoice;
    if (const auto error = ReadImportCsvChoice(parser, name == "import-csv", csvChoice)) {
        std::cerr << "ztprog-cli: " << *error << '\n';
        return kExitUsage;
    }
    if (command->radio && !parser.isSet(portOpt)) {
        std::cerr << "ztprog-cli: " << name << " needs the serial port (--port)\n";
        return kExitUsage;
    }

    // The program folder is the executable's; the language files are in its language/ folder.
    AppState app;
    SetProgramFolders(app, QCoreApplication::applicationFilePath().toStdString());
    const QString langDir =
        parser.isSet(langOpt) ? parser.value(langOpt) : QString::fromStdString(app.ProgramDir) + "/language";
    app.LanguageCode = 1;
    app.LanguageFile = "english.ini";
    app.lang.load(QDir(langDir).filePath("english.ini").toStdString());
    app.ComPortName = parser.value(portOpt).toStdString();
    app.versions = LoadVersionTable(VersionIniPath(app));

    const bool terminal = isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
    CliPrompter prompter;
    CliHost host;
    prompter.yes = parser.isSet(yesOpt);
    host.retries = retries;
    host.verbose = parser.isSet(verboseOpt);
    prompter.verbose = parser.isSet(verboseOpt);
    prompter.interactive = terminal;
    app.prompter = &prompter;
    host.progressBar = !parser.isSet(quietOpt) && isatty(STDERR_FILENO);
    host.interactive = terminal;
    if (parser.isSet(passwordOpt))
        host.password = parser.value(passwordOpt).toStdString();

    // The document starts as the one start-up builds (defaults and the factory template); write
    // and encode then open their pair over it.
    Document doc;
    SerialLinkPort port;
    ReasonedLinkPort reasonedPort(port, app); // a port that does not open says why
    SerialLinkTimer timer;
    AppVersionTable versions(app);
    LinkEngine engine(app, doc, reasonedPort, timer, host, versions);
    AttachLinkEngine(port, timer, engine);
    if (host.password)
        engine.setProgrammingPassword(*host.password);
    engine.setVerifyAfterWrite(parser.isSet(verifyOpt));
    std::optional<BackupStore> backups;
    if (!parser.isSet(noBackupOpt))
        backups.emplace(parser.isSet(backupDirOpt)
                            ? QDir(parser.value(backupDirOpt)).absolutePath().toStdString()
                            : BackupFolder(SharedDataFolder().toStdString()));
    // A read goes on without its backup (with a warning); a write does not start without its
    // backups unless --no-backup was given (the engine asks the host, which refuses).
    host.backups = backups ? &*backups : nullptr;
    host.engine = &engine;
    host.doc = &doc;
    host.otherRadio = parser.isSet(otherRadioOpt);
    engine.setKeepBeforeWrite(backups && !parser.isSet(noKeepBeforeOpt));
    app.InitFromFactory = parser.isSet(factoryOpt);
    InitDocument(app, doc, engine.radioInfo());
    app.InitFromFactory = false;

    Run run{app,
            doc,
            engine,
            prompter,
            host,
            port,
            files.value(0).toStdString(),
            files.value(1).toStdString(),
            csvChoice,
            backups ? &*backups : nullptr};
    // The Open command's reading, version test included; refusals were reported through the prompter.
    if (command->opensPair && OpenDocument(app, doc, run.file1, &engine.radioInfo()) != OpenResult::Opened)
        return FileFailure(run, "cannot open " + run.file1);
    if (command->radio)
        if (const int status = PreparePort(app, engine, parser, portOptions, prompter.verbose))
            return status;
    if (parser.isSet(repeatOpt))
        return BatchWriteCommand(app, doc, prompter, backups ? &*backups : nullptr,
                                 {parser.value(logOpt).toStdString(), parser.isSet(verifyOpt),
                                  host.progressBar, terminal, host.password});
    const int status = command->run(run);
    if (command->radio)
        RememberEcho(app, engine);
    return status;
}
