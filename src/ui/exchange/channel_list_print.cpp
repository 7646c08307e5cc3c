// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/channel_list_print.h"

#include "codec/freq.h"
#include "codec/tone.h"
#include "model/channel_table.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrinter>
#include <QTextDocument>

#include <algorithm>
#include <vector>

namespace zt {

namespace {

QString T(const AppState& app, int id) {
    return QString::fromStdString(app.LangText(id)).toHtmlEscaped();
}

QString H(const std::string& s) {
    return QString::fromStdString(s).toHtmlEscaped();
}

QString ToneCell(const AppState& app, int index) {
    if (index <= 0 || index >= kToneCount)
        return T(app, 14013);
    return H(ToneText(index));
}

// The channels of group g, ascending.
std::vector<const ChannelRecord*> GroupChannels(const DocumentCopy& d, int g) {
    std::vector<const ChannelRecord*> list;
    for (int n : GroupChannelList(d, g))
        list.push_back(&d.channels[static_cast<std::size_t>(FindChannel(d, GroupBase(g) + n))]);
    return list;
}

} // namespace

QString ChannelListHtml(const AppState& app, const Document& doc) {
    const DocumentCopy& d = doc.work;
    const bool asOffset = app.habits.TxAsOffset;
    QString html = "<html><body>";
    const QString name = app.IsUntitled
                             ? H(app.DocFileName)
                             : QFileInfo(QString::fromStdString(app.DocFileName)).fileName().toHtmlEscaped();
    html += "<h2>" + T(app, 33050) + "</h2>";
    html += "<p>" + T(app, 33052) + ": <b>" + name + "</b> &nbsp;&nbsp; " + T(app, 33051) + ": <b>" +
            H(app.ModelNameText) + "</b> [" + H(app.BandText) + "] &nbsp;&nbsp; " +
            QString::number(UsedSlots(d)) + " " + T(app, 33064) + "</p>";

    const int headers[] = {33054, 33055, asOffset ? 33057 : 33056, 33058, 33059, 33060, 33061, 33062};
    for (int g = 0; g <= kVfoGroup; ++g) {
        const auto channels = GroupChannels(d, g);
        if (channels.empty())
            continue;
        // The group's heading is the first of the table's header rows: the layout repeats header
        // rows at the top of every page the table continues on, and never ends a page with them
        // alone. Cells do not wrap, so every row has the same height.
        html += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\" "
                "style=\"margin-top: 12px\"><thead><tr><th colspan=\"" +
                QString::number(std::size(headers)) + "\" align=\"left\" style=\"font-size: large\">" +
                T(app, 33053) + " " + H(GroupLabel(d.settings, g)) + "</th></tr><tr>";
        for (int id : headers)
            html += "<th>" + T(app, id) + "</th>";
        html += "</tr></thead>";
        for (const ChannelRecord* r : channels) {
            const int power = r->Mode == 0 ? r->AmPower : r->FmPower;
            const QString cells[] = {
                QString::number(r->ChannelNo),
                H(RxText(app, r->RxFreq.raw())),
                // A receive-only channel says so where its TX would be.
                r->TxInhibit != 0
                    ? T(app, 34113)
                    : H(TxText(app, r->RxFreq.raw(), r->TxOffset.raw(), r->TxOffsetDir, asOffset)),
                ToneCell(app, r->DecodeTone),
                ToneCell(app, r->EncodeTone),
                T(app, r->Mode == 0 ? 15500 : 15501),
                T(app, power != 0 ? 33066 : 33065),
                r->ScanSkip != 0 ? T(app, 33067) : QString(),
            };
            html += "<tr>";
            for (const QString& c : cells)
                html += "<td align=\"center\" style=\"white-space: nowrap\">" + c + "</td>";
            html += "</tr>";
        }
        html += "</table>";
    }
    return html + "</body></html>";
}

void PrintChannelList(const AppState& app, const Document& doc, QPrinter* printer) {
    QTextDocument text;
    text.setHtml(ChannelListHtml(app, doc));
    // QTextDocument lays the text out on the printer's pages and numbers them.
    text.print(printer);
}

bool ExportChannelListPdf(const AppState& app, const Document& doc, const QString& path) {
    // The printer reports no failure to open its file, so the file is tried first (the user has
    // agreed to replace it in the save dialog).
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly))
            return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    printer.setDocName(QFileInfo(QString::fromStdString(app.DocFileName)).fileName());
    PrintChannelList(app, doc, &printer);
    return printer.printerState() != QPrinter::Error && QFileInfo(path).size() > 0;
}

} // namespace zt
