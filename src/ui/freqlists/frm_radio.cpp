// SPDX-License-Identifier: GPL-3.0-or-later
#include "freqlists/frm_radio.h"

#include "codec/freq.h"
#include "codec/radio_freq.h"
#include "common/label_rows.h"
#include "common/twips.h"

namespace zt {

FrmRadio::FrmRadio(AppState& app, Document& doc, WindowRouter* router, QWidget* parent)
    : FreqListWindow(app, doc, router, kName, parent) {
    auto* grid = new FreqGrid(kEntries + 1, 2, this);
    grid->setObjectName("MSFlexGrid1");
    grid->setSizesTw(300, 300, 1000, 1700);
    for (int j = 1; j <= kEntries; ++j)
        grid->setHeader(j, 0, QString::number(j));
    setUpEditing(grid);
    buttons_.create(this, app_.HelpAvailable);
    loadWindow();
}

void FrmRadio::retranslate() {
    setWindowTitle(T(17000));
    grid()->setHeader(0, 0, T(17001));
    grid()->setHeader(0, 1, T(17002));
    buttons_.setTexts(T(9023), T(9025));
    const int m = Tw(120, this);
    // The list in the middle of a window wide enough for its caption.
    const int width = std::max(grid()->width() + 2 * m, CaptionWidth(this));
    grid()->move((width - grid()->width()) / 2, m);
    buttons_.place(grid()->geometry().right(), grid()->geometry().bottom() + m);
    setFixedSize(width, buttons_.close->geometry().bottom() + m);
}

void FrmRadio::loadFromDocument() {
    const auto& list = doc_.work.settings.BroadcastFreqs;
    for (int i = 0; i < kEntries; ++i) {
        const auto& e = list[static_cast<std::size_t>(i)];
        grid()->setCell(i + 1, 1,
                        e.IsBlank != 0 ? QString() : QString::fromStdString(RxText(app_, e.Freq.raw())));
    }
}

QString FrmRadio::editTextOf(const QString& cellText) const {
    return cellText.size() >= 7 ? cellText.left(6) : cellText;
}

void FrmRadio::storeCell(int row, int col, const QString& text) {
    const std::string shown = CheckRadioFre(text.toStdString());
    grid()->setCell(row, col, QString::fromStdString(shown));
    auto& e = doc_.work.settings.BroadcastFreqs[static_cast<std::size_t>(row - 1)];
    e.IsBlank = shown.empty() ? 1 : 0;
    e.Freq = GetSaveRadioFreData(shown);
}

void FrmRadio::enterKey() {
    enterCell(currentRow() % kEntries + 1, 1);
}

} // namespace zt
