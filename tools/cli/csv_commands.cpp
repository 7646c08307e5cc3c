// SPDX-License-Identifier: GPL-3.0-or-later
#include "csv_commands.h"

#include "cli_host.h"

#include "files/data_files.h"
#include "model/channel_table.h"
#include "model/records.h"
#include "util/shown_text.h"

#include <iostream>

namespace zt {

namespace {

int Fail(const std::string& why) {
    std::cerr << "ztprog-cli: " << ShownText(OneLine(why)) << '\n';
    return 1;
}

// Why the pair could not be opened: the message shown, or the file name.
int OpenFailure(const AppState& app, const std::string& path) {
    const auto* p = dynamic_cast<const CliPrompter*>(app.prompter);
    return Fail(p && !p->lastText().empty() ? p->lastText() : "cannot open " + path);
}

std::string Issues(const AppState& app, const std::vector<CsvIssue>& list) {
    std::string out;
    for (const CsvIssue& i : list)
        out += (out.empty() ? "" : "; ") + CsvIssueText(app, i);
    return ShownText(out); // the values quoted come from the file
}

const QCommandLineOption& FromChannelOpt() {
    static const QCommandLineOption o(
        "from-channel",
        "import-csv: put the rows in file order from this channel on, given as GROUP:CH as the channel "
        "grid shows it (8:1) or as a channel number (321). Channels that cannot take a frequency now "
        "(the band-plan groups 0..6 while frequencies are not editable, the VFO entry 481) and channels "
        "in use are skipped; rows left over are refused (\"no free channel left\"). Without this option "
        "the rows go on the file's own channel numbers (Location), unless those do not fit most rows "
        "(numbers from 0, above 481, or on band-plan channels): then in file order from the first free "
        "channel, with a line saying so.",
        "G:C|N");
    return o;
}
const QCommandLineOption& FileNumbersOpt() {
    static const QCommandLineOption o(
        "file-numbers", "import-csv: put every row on the file's own channel number (Location), "
                        "even when those do not fit most rows.");
    return o;
}
const QCommandLineOption& ReplaceOpt() {
    static const QCommandLineOption o(
        "replace", "import-csv with --from-channel: channels in use take rows too instead of being skipped. "
                   "A channel in use that takes a row gets the file's values and a new channel's values "
                   "for every setting the file does not give (unless the row's Comment carries this "
                   "program's \"zt:\" settings).");
    return o;
}
const QCommandLineOption& UpdateColumnsOpt() {
    static const QCommandLineOption o("update-columns",
                                      "import-csv: a channel in use that takes a row changes only in the "
                                      "columns the file has; its other settings stay (for an export of "
                                      "this program edited in a spreadsheet).");
    return o;
}
const QCommandLineOption& PartialOpt() {
    static const QCommandLineOption o(
        "partial", "import-csv: take the good rows and list the refused ones (exit status 0 when at least "
                   "one row was taken). Without it the import is all or nothing: any refused row means "
                   "nothing is written and the exit status is 1.");
    return o;
}

} // namespace

const std::vector<QCommandLineOption>& ImportCsvOptions() {
    static const std::vector<QCommandLineOption> list{FromChannelOpt(), FileNumbersOpt(), ReplaceOpt(),
                                                      UpdateColumnsOpt(), PartialOpt()};
    return list;
}

std::optional<int> ParseChannelPlace(const std::string& text) {
    auto number = [](const std::string& s) -> std::optional<int> {
        if (s.empty() || s.size() > 3 || s.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        return std::stoi(s);
    };
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        const auto n = number(text);
        if (!n || *n < 1 || *n > kMaxChannels)
            return std::nullopt;
        return n;
    }
    const auto g = number(text.substr(0, colon));
    const auto c = number(text.substr(colon + 1));
    if (!g || !c || *g > kVfoGroup || *c < 1 || *c > GroupSize(*g))
        return std::nullopt;
    return GroupBase(*g) + *c;
}

std::optional<std::string> ReadImportCsvChoice(const QCommandLineParser& parser, bool importing,
                                               CsvImportChoice& choice) {
    bool any = false;
    for (const QCommandLineOption& o : ImportCsvOptions())
        any = any || parser.isSet(o);
    if (!any)
        return std::nullopt;
    if (!importing)
        return "--from-channel, --file-numbers, --replace, --update-columns and --partial go with the "
               "import-csv command only";
    if (parser.isSet(FromChannelOpt()) && parser.isSet(FileNumbersOpt()))
        return "--from-channel and --file-numbers exclude each other";
    if (parser.isSet(ReplaceOpt()) && !parser.isSet(FromChannelOpt()))
        return "--replace goes with --from-channel (on the file's own numbers channels in use are always "
               "replaced)";
    choice.partial = parser.isSet(PartialOpt());
    CsvImportOptions& options = choice.options;
    if (parser.isSet(UpdateColumnsOpt()))
        options.replace = CsvReplace::UpdateColumns;
    choice.placementGiven = parser.isSet(FromChannelOpt()) || parser.isSet(FileNumbersOpt());
    if (parser.isSet(FromChannelOpt())) {
        const std::string place = parser.value(FromChannelOpt()).toStdString();
        const auto no = ParseChannelPlace(place);
        if (!no)
            return "--from-channel takes GROUP:CH (0:1 to 11:40, 12:1) or a channel number 1..481, not \"" +
                   ShownText(place) + "\"";
        options.placement = CsvPlacement::FileOrder;
        options.firstChannel = *no;
        options.replaceInUse = parser.isSet(ReplaceOpt());
    }
    return std::nullopt;
}

int ExportCsvCommand(AppState& app, Document& doc, RadioInfoRecord& info, const std::string& datPath,
                     const std::string& csvPath) {
    if (OpenDocument(app, doc, datPath, &info) != OpenResult::Opened)
        return OpenFailure(app, datPath);
    FileError error;
    if (!ExportChannelsCsvFile(app, doc.work, csvPath, &error))
        return Fail(app.LangTextOr(33018, "The file could not be written.") + " (" + error.text() + ")");
    return 0;
}

int ImportCsvCommand(AppState& app, Document& doc, RadioInfoRecord& info, const std::string& csvPath,
                     const std::string& datPath, const CsvImportChoice& choice, bool verbose) {
    if (OpenDocument(app, doc, datPath, &info) != OpenResult::Opened)
        return OpenFailure(app, datPath);
    FileError error;
    const auto text = ReadCsvFile(csvPath, &error);
    if (!text)
        return Fail(CsvIssueText(app, {csvtext::FileUnreadable, error.text()}));

    CsvImportOptions options = choice.options;
    if (!choice.placementGiven) {
        const CsvPlacementAdvice advice = AdviseCsvPlacement(app, doc.work, *text);
        options.placement = advice.options.placement;
        options.firstChannel = advice.options.firstChannel;
        if (advice.reason != 0)
            std::cerr << "ztprog-cli: " << OneLine(CsvPlacementReasonText(app, advice)) << '\n';
    }
    const CsvImportPlan plan = PlanCsvImport(app, doc.work, *text, options);
    // A file in another shape than this program writes says how it was read.
    const CsvFileShape& shape = plan.shape;
    if (verbose || shape.encoding >= 2 || shape.separator != ',' || shape.commentLines > 0)
        std::cerr << "ztprog-cli: " << CsvShapeText(app, shape) << '\n';
    if (plan.fileError != 0) {
        if (plan.fileErrorLine != 0)
            std::cerr << ShownText(csvPath) << ':' << plan.fileErrorLine << ": ";
        return Fail(CsvFileErrorText(app, plan, csvPath));
    }
    for (const CsvRefusedRow& r : plan.refused)
        std::cerr << ShownText(csvPath) << ':' << r.line << ": " << app.LangTextOr(33010, "Channel") << ' '
                  << ShownText(r.location) << ": " << Issues(app, r.reasons) << '\n';
    if (const int more = plan.refusedCount - static_cast<int>(plan.refused.size()); more > 0)
        std::cerr << ShownText(csvPath) << ": " << app.LangTextOr(34115, "more refused rows not listed:")
                  << ' ' << more << '\n';
    // The last line gives both counts and the first reasons, whatever happened.
    if (plan.taken.empty())
        return Fail(app.LangTextOr(33017, "No row of this file can be imported.") + " (" + csvPath +
                    "): " + CsvOutcomeText(app, plan, false));
    if (plan.refusedCount > 0 && !choice.partial)
        return Fail(CsvOutcomeText(app, plan, false) +
                    "; nothing was written (--partial takes the rows that can be imported)");
    if (verbose)
        for (const CsvTakenRow& r : plan.taken)
            std::cerr << ShownText(csvPath) << ':' << r.line << ": "
                      << CsvChannelPlace(app, r.record.ChannelNo) << " (" << r.record.ChannelNo << ")"
                      << (r.notes.empty() ? "" : ": ") << Issues(app, r.notes) << '\n';
    ApplyCsvImport(plan, doc.work);
    app.DocFileName = datPath;
    app.IsUntitled = false;
    if (!SaveDocument(app, doc)) {
        const auto* p = dynamic_cast<const CliPrompter*>(app.prompter);
        return Fail(p && !p->lastText().empty() ? p->lastText() : "cannot write " + datPath);
    }
    std::cerr << "ztprog-cli: " << OneLine(CsvOutcomeText(app, plan)) << '\n';
    return 0;
}

} // namespace zt
