// ztprog-cli: the radio link from the command line.
//
//   ztprog-cli [options] read FILE.dat     read the radio into a new document, save the pair
//   ztprog-cli [options] write FILE.dat    open a pair and write it to the radio
//   ztprog-cli [options] info              read the radio information area and print it
//   ztprog-cli [options] image FILE.bin    read the radio and save its raw 9280-byte memory
//   ztprog-cli [options] decode IMAGE.bin FILE.dat   raw memory -> data file pair
//   ztprog-cli [options] encode FILE.dat IMAGE.bin   data file pair -> raw memory
//   ztprog-cli [options] new FILE.dat      save a new document as the pair FILE.dat/FILE.fre
//   ztprog-cli [options] export-csv FILE.dat OUT.csv   the pair's channels as CSV
//   ztprog-cli [options] import-csv IN.csv FILE.dat    CSV channels into the pair (all rows or none)
//
// Exit status 0 on success; otherwise 1 (2 for a usage error) with one line on stderr saying why.
#include "cli_host.h"
#include "csv_commands.h"
#include "serial_link.h"

#include "app/app_state.h"
#include "files/app_settings.h"
#include "files/data_files.h"
#include "files/file_io.h"
#include "files/version_table.h"
#include "link/link_engine.h"
#include "link/radio_image.h"
#include "model/model_config.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

using namespace zt;

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int Fail(const std::string& why) {
    std::cerr << "ztprog-cli: " << OneLine(why) << '\n';
    return kExitFailure;
}

std::string Text(const AppState& app, int id, const char* fallback) {
    std::string t = app.LangText(id);
    return t.empty() ? fallback : t;
}

struct Options {
    std::string command;
    QStringList args;
    std::string port;
    CliPrompter prompter;
    CliHost host;
};

// Runs one exchange to its end on the event loop; true when it succeeded. With --verbose it then
// says whether the port's driver was in low-latency mode, which decides how long a read takes on
// a USB serial adapter.
bool RunExchange(AppState& app, LinkEngine& engine, const SerialLinkPort& port, Options& o,
                 bool (LinkEngine::*start)()) {
    if (!(engine.*start)())
        return false;
    QCoreApplication::exec();
    if (o.prompter.verbose)
        std::cerr << "Port " << app.ComPortName << ": low-latency mode "
                  << (port.lowLatency() ? "on" : "off (the driver does not offer it or refused it)") << '\n';
    return o.host.ended() && o.host.ok();
}

// Why an exchange or its start failed, in one line.
std::string ExchangeFailure(const AppState& app, const Options& o) {
    if (!o.host.handOverVersion().empty())
        return Text(app, 9062, "This radio needs another version of the programming software.") + " (radio " +
               o.host.handOverVersion() + ")";
    if (!o.prompter.declined().empty())
        return "not confirmed (use --yes): " + o.prompter.declined();
    if (!o.prompter.lastText().empty())
        return o.prompter.lastText();
    return "the exchange with the radio failed";
}

void PrintInfo(const AppState& app, const RadioInfoRecord& info) {
    auto row = [&](int id, const char* fallback, const std::string& value) {
        std::cout << OneLine(Text(app, id, fallback)) << ": " << value << '\n';
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

bool WriteImageFile(const std::string& path, const RadioImage& img) {
    return WriteFileReplacing(path, img);
}

// Opens a data file pair as the Open command does (version test included); refusals were
// reported through the prompter.
bool OpenPair(AppState& app, Document& doc, RadioInfoRecord& info, const std::string& path) {
    return OpenDocument(app, doc, path, &info) == OpenResult::Opened;
}

// Saves the working copy as the pair `path` (and its channel file).
bool SavePair(AppState& app, Document& doc, const std::string& path) {
    app.DocFileName = path;
    app.IsUntitled = false;
    return SaveDocument(app, doc);
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

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Reads, writes and inspects a ZT-450E radio; converts between raw memory images and data files.\n"
        "Commands: read FILE.dat | write FILE.dat | info | image FILE.bin | decode IMAGE.bin FILE.dat |\n"
        "          encode FILE.dat IMAGE.bin | new FILE.dat | export-csv FILE.dat OUT.csv |\n"
        "          import-csv IN.csv FILE.dat");
    parser.addHelpOption();
    const QCommandLineOption portOpt({"p", "port"}, "Serial port: a name (ttyUSB0, COM3) or a device path.",
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
    parser.addOptions({portOpt, yesOpt, passwordOpt, langOpt, retriesOpt, quietOpt, verboseOpt, factoryOpt});
    parser.addPositionalArgument("command",
                                 "read, write, info, image, decode, encode, new, export-csv or import-csv");
    parser.addPositionalArgument("files", "the files of the command", "[files...]");
    parser.process(qapp);

    Options o;
    const QStringList pos = parser.positionalArguments();
    if (pos.isEmpty()) {
        std::cerr << "ztprog-cli: no command given (read, write, info, image, decode, encode, new, "
                     "export-csv, import-csv); see --help\n";
        return kExitUsage;
    }
    o.command = pos.first().toStdString();
    o.args = pos.mid(1);
    struct Shape {
        const char* name;
        int files;
        bool radio;
    };
    static const Shape shapes[] = {{"read", 1, true},  {"write", 1, true},       {"info", 0, true},
                                   {"image", 1, true}, {"decode", 2, false},     {"encode", 2, false},
                                   {"new", 1, false},  {"export-csv", 2, false}, {"import-csv", 2, false}};
    const Shape* shape = nullptr;
    for (const Shape& s : shapes)
        if (o.command == s.name)
            shape = &s;
    if (!shape) {
        std::cerr << "ztprog-cli: unknown command \"" << o.command << "\"; see --help\n";
        return kExitUsage;
    }
    if (o.args.size() != shape->files) {
        std::cerr << "ztprog-cli: " << o.command << " takes " << shape->files << " file name"
                  << (shape->files == 1 ? "" : "s") << "; see --help\n";
        return kExitUsage;
    }
    bool retriesOk = false;
    const int retries = parser.value(retriesOpt).toInt(&retriesOk);
    if (!retriesOk || retries < 0) {
        std::cerr << "ztprog-cli: --retries takes a number of 0 or more\n";
        return kExitUsage;
    }
    if (parser.isSet(factoryOpt) && o.command != "new") {
        std::cerr << "ztprog-cli: --factory goes with the new command only\n";
        return kExitUsage;
    }
    if (shape->radio && !parser.isSet(portOpt)) {
        std::cerr << "ztprog-cli: " << o.command << " needs the serial port (--port)\n";
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
    o.prompter.yes = parser.isSet(yesOpt);
    o.prompter.retries = retries;
    o.prompter.retryText = app.LangText(9008);
    o.prompter.verbose = parser.isSet(verboseOpt);
    o.prompter.interactive = terminal;
    app.prompter = &o.prompter;
    o.host.progressBar = !parser.isSet(quietOpt) && isatty(STDERR_FILENO);
    o.host.interactive = terminal;
    if (parser.isSet(passwordOpt))
        o.host.password = parser.value(passwordOpt).toStdString();

    const std::string file1 = o.args.value(0).toStdString();
    const std::string file2 = o.args.value(1).toStdString();

    // The document starts as the one start-up builds (defaults and the factory template); write
    // and encode then open their pair over it.
    Document doc;
    SerialLinkPort port;
    SerialLinkTimer timer;
    AppVersionTable versions(app);
    LinkEngine engine(app, doc, port, timer, o.host, versions);
    AttachLinkEngine(port, timer, engine);
    if (o.host.password)
        engine.setProgrammingPassword(*o.host.password);
    app.InitFromFactory = parser.isSet(factoryOpt);
    InitDocument(app, doc, engine.radioInfo());
    app.InitFromFactory = false;
    if ((o.command == "write" || o.command == "encode") && !OpenPair(app, doc, engine.radioInfo(), file1))
        return Fail(o.prompter.lastText().empty() ? "cannot open " + file1 : o.prompter.lastText());

    if (o.command == "export-csv")
        return ExportCsvCommand(app, doc, engine.radioInfo(), file1, file2);
    if (o.command == "import-csv")
        return ImportCsvCommand(app, doc, engine.radioInfo(), file1, file2, o.prompter.verbose);
    if (o.command == "new") {
        if (!SavePair(app, doc, file1))
            return Fail(o.prompter.lastText().empty() ? "cannot write " + file1 : o.prompter.lastText());
        return 0;
    }
    if (o.command == "decode") {
        const auto bytes = ReadFileBytes(file1, kRadioImageSize + 1);
        if (!bytes)
            return Fail("cannot read " + file1);
        if (bytes->size() != kRadioImageSize)
            return Fail(file1 + " is not a radio memory image (" + std::to_string(kRadioImageSize) +
                        " bytes)");
        std::copy(bytes->begin(), bytes->end(), engine.image().begin());
        AcceptReadImage(engine, app, doc);
        if (!SavePair(app, doc, file2))
            return Fail(o.prompter.lastText().empty() ? "cannot write " + file2 : o.prompter.lastText());
        return 0;
    }
    if (o.command == "encode") {
        RadioImage img;
        ClearRadioImage(img);
        EncodeRadioImage(app, doc.work, img);
        if (!WriteImageFile(file2, img))
            return Fail("cannot write " + file2);
        return 0;
    }
    if (o.command == "info") {
        if (!RunExchange(app, engine, port, o, &LinkEngine::startInfoRead))
            return Fail(ExchangeFailure(app, o));
        PrintInfo(app, engine.radioInfo());
        return 0;
    }
    if (o.command == "write") {
        if (!RunExchange(app, engine, port, o, &LinkEngine::startWrite))
            return Fail(ExchangeFailure(app, o));
        return 0;
    }
    // read and image: the files are written only after the whole exchange succeeded, so a failed
    // read leaves what was there untouched.
    if (!RunExchange(app, engine, port, o, &LinkEngine::startRead))
        return Fail(ExchangeFailure(app, o));
    if (o.command == "image") {
        if (!WriteImageFile(file1, engine.image()))
            return Fail("cannot write " + file1);
        return 0;
    }
    AcceptReadImage(engine, app, doc);
    if (!SavePair(app, doc, file1))
        return Fail(o.prompter.lastText().empty() ? "cannot write " + file1 : o.prompter.lastText());
    return 0;
}
