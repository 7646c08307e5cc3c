#include "csv_commands.h"

#include "cli_host.h"

#include "files/csv_channels.h"
#include "files/data_files.h"
#include "util/shown_text.h"

#include <iostream>

namespace zt {

namespace {

std::string Text(const AppState& app, int id, const char* fallback) {
    std::string t = app.LangText(id);
    return t.empty() ? fallback : t;
}

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

} // namespace

int ExportCsvCommand(AppState& app, Document& doc, RadioInfoRecord& info, const std::string& datPath,
                     const std::string& csvPath) {
    if (OpenDocument(app, doc, datPath, &info) != OpenResult::Opened)
        return OpenFailure(app, datPath);
    if (!ExportChannelsCsvFile(app, doc.work, csvPath))
        return Fail(Text(app, 33018, "The file could not be written.") + " (" + csvPath + ")");
    return 0;
}

int ImportCsvCommand(AppState& app, Document& doc, RadioInfoRecord& info, const std::string& csvPath,
                     const std::string& datPath, bool verbose) {
    if (OpenDocument(app, doc, datPath, &info) != OpenResult::Opened)
        return OpenFailure(app, datPath);
    const CsvImportPlan plan = PlanCsvImportFile(app, doc.work, csvPath);
    if (plan.fileError != 0)
        return Fail(CsvIssueText(app, {plan.fileError, csvPath}));
    for (const CsvRefusedRow& r : plan.refused)
        std::cerr << ShownText(csvPath) << ':' << r.line << ": " << Text(app, 33010, "Channel") << ' '
                  << r.location << ": " << Issues(app, r.reasons) << '\n';
    if (!plan.refused.empty())
        return 1;
    if (plan.taken.empty())
        return Fail(Text(app, 33017, "No row of this file can be imported.") + " (" + csvPath + ")");
    if (verbose)
        for (const CsvTakenRow& r : plan.taken)
            if (!r.notes.empty())
                std::cerr << ShownText(csvPath) << ':' << r.line << ": " << Text(app, 33010, "Channel") << ' '
                          << r.record.ChannelNo << ": " << Issues(app, r.notes) << '\n';
    ApplyCsvImport(plan, doc.work);
    app.DocFileName = datPath;
    app.IsUntitled = false;
    if (!SaveDocument(app, doc)) {
        const auto* p = dynamic_cast<const CliPrompter*>(app.prompter);
        return Fail(p && !p->lastText().empty() ? p->lastText() : "cannot write " + datPath);
    }
    return 0;
}

} // namespace zt
