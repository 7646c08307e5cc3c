// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/channel_exchange.h"

#include "channels/channel_editor.h"
#include "channels/frm_comm_ch_info.h"
#include "exchange/channel_list_print.h"
#include "exchange/frm_csv_import.h"
#include "files/csv_channels.h"
#include "files/data_files.h"
#include "files/file_io.h"
#include "util/shown_text.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>

#include <algorithm>

namespace zt {

namespace {

QString T(const AppState& app, int id) {
    return QString::fromStdString(app.LangText(id));
}

void Warn(const AppState& app, const std::string& text) {
    if (app.prompter)
        app.prompter->ask(text, Icon::Warning, Buttons::Ok);
}

// The document's path with another suffix, as the start of a save dialog.
QString StartName(const AppState& app, const char* suffix) {
    const QFileInfo f(QString::fromStdString(app.DocFileName));
    return f.dir().filePath(f.completeBaseName() + "." + suffix);
}

QString AskSavePath(MainHost& main, const AppState& app, int captionId, int filterId, const char* suffix) {
    QString path =
        QFileDialog::getSaveFileName(main.hostWidget(), T(app, captionId).remove('&'), StartName(app, suffix),
                                     T(app, filterId) + QString(" (*.%1)").arg(suffix));
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QString(".") + suffix;
    return path;
}

void ImportCommand(MainHost& main, AppState& app, Document& doc) {
    main.CommitAllEdits();
    const QString path = QFileDialog::getOpenFileName(main.hostWidget(), T(app, 33000).remove('&'), QString(),
                                                      T(app, 33004) + " (*.csv *.CSV);;* (*)");
    if (!path.isEmpty())
        ImportChannelsCsv(main, app, doc, path);
}

// An export never goes onto the document's own files: true (after saying so) when `path` is its
// settings file or its channel file.
bool OntoTheDocument(const AppState& app, const QString& path) {
    if (app.IsUntitled || path.isEmpty())
        return false;
    const std::string file = QFile::encodeName(path).toStdString();
    for (const std::string& own : {app.DocFileName, ChannelFilePath(app.DocFileName)})
        if (SameFile(file, own)) {
            Warn(app, app.LangText(33018) + "\n" + ShownText(file) +
                          " is a file of the open document: an export does not go over it.");
            return true;
        }
    return false;
}

void ExportCommand(MainHost& main, AppState& app, Document& doc) {
    main.CommitAllEdits();
    const QString path = AskSavePath(main, app, 33001, 33004, "csv");
    FileError error;
    if (!path.isEmpty() && !OntoTheDocument(app, path) &&
        !ExportChannelsCsvFile(app, doc.work, QFile::encodeName(path).toStdString(), &error))
        Warn(app, app.LangText(33018) + "\n" + error.text());
}

void PrintCommand(MainHost& main, AppState& app, Document& doc) {
    main.CommitAllEdits();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QFileInfo(QString::fromStdString(app.DocFileName)).fileName());
    QPrintPreviewDialog preview(&printer, main.hostWidget());
    preview.setObjectName("FrmPrintPreview");
    preview.setWindowTitle(T(app, 33068));
    // Large enough for the whole tool bar, Print included, on a 1024x768 screen.
    const QRect screen = main.hostWidget()->screen() ? main.hostWidget()->screen()->availableGeometry()
                                                     : QRect(0, 0, 1024, 768);
    preview.resize(std::min(screen.width(), 1000), std::min(screen.height(), 720));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&](QPrinter* p) { PrintChannelList(app, doc, p); });
    preview.exec();
}

void PdfCommand(MainHost& main, AppState& app, Document& doc) {
    main.CommitAllEdits();
    const QString path = AskSavePath(main, app, 33003, 33005, "pdf");
    if (!path.isEmpty() && !OntoTheDocument(app, path) && !ExportChannelListPdf(app, doc, path))
        Warn(app, app.LangText(33018));
}

} // namespace

const std::vector<ExchangeCommand>& ChannelExchangeCommands() {
    static const std::vector<ExchangeCommand> list{
        {Cmd::mnuImportCsv, 33000, ImportCommand},
        {Cmd::mnuExportCsv, 33001, ExportCommand},
        {Cmd::mnuPrintList, 33002, PrintCommand},
        {Cmd::mnuExportPdf, 33003, PdfCommand},
    };
    return list;
}

bool ImportChannelsCsv(MainHost& main, AppState& app, Document& doc, const QString& path) {
    const std::string fileName = QFileInfo(path).fileName().toStdString();
    FileError error;
    auto text = ReadCsvFile(QFile::encodeName(path).toStdString(), &error);
    if (!text) {
        Warn(app, CsvIssueText(app, {csvtext::FileUnreadable, fileName}) + "\n" + error.text());
        return false;
    }
    // A file that cannot be used at all is reported; no preview opens.
    if (const CsvImportPlan first = PlanCsvImport(app, doc.work, *text); first.fileError != 0) {
        Warn(app, CsvFileErrorText(app, first, fileName));
        return false;
    }
    FrmCsvImport preview(app, doc.work, std::move(*text), QFileInfo(path).fileName(), main.hostWidget());
    if (preview.exec() != QDialog::Accepted)
        return false;
    const CsvImportPlan& plan = preview.plan();
    if (plan.taken.empty())
        return false;
    const bool changed = ApplyCsvImport(plan, doc.work);
    // The channel window turns to the group of the lowest channel imported, where the user looks
    // for the rows (the group shown is no change of its own: undo keeps it).
    ChannelEditor& channels = main.channels();
    if (channels.GridOpen() && channels.grid != nullptr) {
        const auto lowest = std::min_element(plan.taken.begin(), plan.taken.end(),
                                             [](const CsvTakenRow& a, const CsvTakenRow& b) {
                                                 return a.record.ChannelNo < b.record.ChannelNo;
                                             });
        channels.EditGroup() = (lowest->record.ChannelNo - 1) / 40;
        channels.grid->ChangeGroup(); // shows the group's rows as the table now has them
    }
    if (changed) {
        const ChannelEditorHooks& h = doc.editor;
        if (h.EditWindowOpen && h.ReloadEditWindow)
            h.ReloadEditWindow();
        main.Route(Refresh::Channels);
    }
    // What was imported, and how many rows were refused with the first reasons (the preview
    // listed them all).
    if (app.prompter) {
        std::string text = CsvImportedText(app, plan) + "\n" + CsvOutcomeText(app, plan);
        if (plan.refusedCount > 0)
            text += "\n" + app.LangText(csvtext::OutcomeInPreview);
        app.prompter->message(text);
    }
    return changed;
}

} // namespace zt
