// SPDX-License-Identifier: GPL-3.0-or-later
#include "freqlists/frm_test_fre.h"

#include "codec/freq.h"
#include "common/twips.h"
#include "model/new_document.h"

#include <QLabel>

namespace zt {

namespace {

// A field cleared by the user: a NUL and blanks.
const std::string kCleared("\0", 1);

QString Shown(const AppState& app, std::string_view stored) {
    return QString::fromStdString(RxText(app, TrimFixed(stored)));
}

} // namespace

FrmTestFre::FrmTestFre(AppState& app, Document& doc, WindowRouter* router, QWidget* parent)
    : FreqListWindow(app, doc, router, kName, parent) {
    auto* grid = new FreqGrid(kEntries + 1, 3, this);
    grid->setObjectName("MSFlexGrid1");
    grid2_ = new FreqGrid(kTuningPairs + 1, 3, this);
    grid2_->setObjectName("MSFlexGrid2");
    // The fixed tuning pairs are shown only.
    grid2_->setShowOnly();
    for (FreqGrid* g : {grid, grid2_}) {
        g->setSizesTw(500, 300, 500, 1500);
        for (int r = 1; r < g->rowCount(); ++r)
            g->setHeader(r, 0, QString::number(r));
    }
    setUpEditing(grid);
    label0_ = new QLabel(this);
    label0_->setObjectName("Label1_0");
    label1_ = new QLabel(this);
    label1_->setObjectName("Label1_1");
    buttons_.create(this, app_.HelpAvailable);
    loadWindow();
}

void FrmTestFre::retranslate() {
    setWindowTitle(T(19000));
    label0_->setText(T(19001));
    label1_->setText(T(19002));
    for (FreqGrid* g : {grid(), grid2_})
        for (int c = 0; c < 3; ++c)
            g->setHeader(0, c, T(19003 + c));
    buttons_.setTexts(T(9023), T(9025));

    // The test frequencies on the left, the fixed tuning pairs on the right, each under its title.
    const int m = Tw(120, this);
    label0_->adjustSize();
    label1_->adjustSize();
    label1_->move(m, m);
    grid()->move(m, label1_->geometry().bottom() + Tw(60, this));
    const int right = grid()->geometry().right() + Tw(240, this);
    label0_->move(right, m);
    grid2_->move(right, grid()->y());
    // The buttons under the tuning pairs, level with the foot of the test frequencies.
    buttons_.place(grid2_->geometry().right(),
                   grid()->geometry().bottom() - buttons_.close->sizeHint().height() + 1);
    if (buttons_.help->isVisible())
        buttons_.help->move(buttons_.close->x(), buttons_.close->y() - buttons_.close->height() - m);
    setFixedSize(std::max({grid2_->geometry().right(), label0_->geometry().right()}) + m,
                 grid()->geometry().bottom() + m);
}

void FrmTestFre::loadFromDocument() {
    const auto& list = doc_.work.settings.TestFreqs;
    for (int i = 1; i <= kEntries; ++i) {
        const auto& e = list[static_cast<std::size_t>(i - 1)];
        grid()->setCell(i, 1, Shown(app_, e.TxFreq.raw()));
        grid()->setCell(i, 2, Shown(app_, e.RxFreq.raw()));
    }
    for (int j = 1; j <= kTuningPairs; ++j) {
        const auto& p = kFixedTuningPairs[static_cast<std::size_t>(j - 1)];
        grid2_->setCell(j, 1, Shown(app_, p.tx));
        grid2_->setCell(j, 2, Shown(app_, p.rx));
    }
}

void FrmTestFre::storeCell(int row, int col, const QString& text) {
    auto& e = doc_.work.settings.TestFreqs[static_cast<std::size_t>(row - 1)];
    FixedText<8>& field = col == 1 ? e.TxFreq : e.RxFreq;
    if (text.isEmpty()) {
        field = kCleared;
        grid()->setCell(row, col, QString());
        return;
    }
    const std::string shown =
        CheckFrequency(app_, text.toStdString(), doc_.work.settings.Options.Features.ChannelGroup);
    field = StorageForm(app_, shown);
    grid()->setCell(row, col, QString::fromStdString(shown));
}

void FrmTestFre::enterKey() {
    const int row = currentRow(), col = currentCol();
    if (col == 1 && editBox()->text().isEmpty())
        enterCell(row % kEntries + 1, 1); // the next row
    else if (col == 1)
        enterCell(row, 2);
    else
        enterCell(row % kEntries + 1, 1); // column 1 of the next row
}

} // namespace zt
