#include "app/frm_main.h"

#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"
#include "channels/frm_habits.h"
#include "files/data_files.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>

namespace zt {

frmMain::frmMain(AppState& app, Document& doc, QWidget* parent)
    : QMainWindow(parent), app_(app), doc_(doc), channels_(app, doc) {
    setObjectName("frmMain");
    channels_.host = this;
    mdi_ = new QMdiArea(this);
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, &frmMain::onSubWindowActivated);

    QMenu* set = menuBar()->addMenu(QString::fromStdString(app.LangText(10400)));
    set->setObjectName("mnuSet");
    habitsSeparator_ = set->addSeparator();
    habitsAction_ = set->addAction(QString::fromStdString(app.LangText(10808)));
    habitsAction_->setObjectName("MnuCHHabits");
    // The habits entry is not offered in the menu; the command stays reachable from code.
    habitsAction_->setVisible(false);
    habitsSeparator_->setVisible(false);
    connect(habitsAction_, &QAction::triggered, this, &frmMain::MnuCHHabits_Click);
    chEditMenu_ = menuBar()->addMenu(QString::fromStdString(app.LangText(10800)));
    chEditMenu_->setObjectName("MnuCHEdit");

    timerCHEdit_.setSingleShot(true);
    timerCHEdit_.setInterval(20);
    connect(&timerCHEdit_, &QTimer::timeout, this, &frmMain::onTimerCHEdit);
    ShowCHInfo(false);
}

frmMain::~frmMain() {
    // Child windows go before the shared channel-editor state they point into.
    for (QMdiSubWindow* w : mdi_->subWindowList())
        delete w;
}

QWidget* frmMain::ChildByName(const QString& name) const {
    for (QMdiSubWindow* w : mdi_->subWindowList())
        if (w->widget() != nullptr && w->widget()->objectName() == name)
            return w->widget();
    return nullptr;
}

bool frmMain::FindWindowByName(const QString& name) const {
    return ChildByName(name) != nullptr;
}

QWidget* frmMain::createChild(const QString& name) {
    if (name == frmCommChInfo::kName)
        return new frmCommChInfo(channels_);
    if (name == FrmCHInfoEdit::kName)
        return new FrmCHInfoEdit(channels_);
    return nullptr;
}

QWidget* frmMain::ShowChildWindow(const QString& name) {
    if (QWidget* open = ChildByName(name)) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(open->parentWidget()))
            mdi_->setActiveSubWindow(sub);
        open->setFocus();
        return open;
    }
    QWidget* w = createChild(name);
    if (w == nullptr)
        return nullptr;
    const QSize size = w->size();
    QMdiSubWindow* sub = mdi_->addSubWindow(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->resize(sub->sizeHint().expandedTo(size + QSize(8, 30)));
    w->show();
    // The area places a new window where it overlaps the open ones least; rearranging them
    // (cascading) would shrink windows without a layout to their title bars.
    mdi_->setActiveSubWindow(sub);
    return w;
}

void frmMain::CloseCurAllWindows() {
    mdi_->closeAllSubWindows();
}

void frmMain::SetSaveEditData() {
    if (channels_.GridOpen())
        channels_.grid->CommitPendingEdit();
}

void frmMain::closeEvent(QCloseEvent* e) {
    // What is typed into a grid cell or the edit window but not yet stored belongs to the
    // document: store it before the document is compared with its file.
    SetSaveEditData();
    if (channels_.EditWindowOpen())
        channels_.edit->CommitPendingEdit();
    if (IsModified(doc_) && app_.prompter != nullptr) {
        const Answer a = app_.prompter->ask(app_.LangText(9006), Icon::Warning, Buttons::YesNoCancel);
        if (a == Answer::Cancel || (a == Answer::Yes && !saveBeforeClose())) {
            e->ignore();
            return;
        }
    }
    // The child windows run their own unload steps before the frame goes.
    mdi_->closeAllSubWindows();
    QMainWindow::closeEvent(e);
}

bool frmMain::saveBeforeClose() {
    if (app_.IsUntitled) {
        const QString path =
            QFileDialog::getSaveFileName(this, QString(), QString::fromStdString(app_.DocFileName), "*.dat");
        if (path.isEmpty())
            return false;
        app_.DocFileName = QFile::encodeName(path).toStdString();
    }
    return SaveDocument(app_, doc_);
}

void frmMain::ShowCHInfo(bool show) {
    // The channel clipboard commands are not part of this program: their menu stays hidden.
    chEditMenu_->menuAction()->setVisible(show);
}

void frmMain::ShowEditWindow() {
    ShowChildWindow(FrmCHInfoEdit::kName);
}

void frmMain::MnuCHHabits_Click() {
    if (channels_.GridOpen()) {
        channels_.grid->CommitPendingEdit();
        channels_.grid->SetEditDisable();
    }
    pending_ = Pending::Habits;
    timerCHEdit_.start();
}

void frmMain::onTimerCHEdit() {
    timerCHEdit_.stop();
    if (pending_ != Pending::Habits)
        return;
    pending_ = Pending::None;
    if (channels_.GridOpen())
        channels_.grid->CodeMoveTopRow = true;
    const bool before = app_.habits.TxAsOffset;
    FrmHabits dlg(app_, this);
    dlg.exec();
    if (app_.habits.TxAsOffset != before) {
        if (channels_.GridOpen())
            channels_.grid->ReShowAllTxFre(app_.habits.TxAsOffset);
        if (channels_.EditWindowOpen())
            channels_.edit->ReShowEditTxFre(app_.habits.TxAsOffset);
    }
    if (channels_.GridOpen())
        channels_.grid->CodeMoveTopRow = false;
}

void frmMain::onSubWindowActivated(QMdiSubWindow* w) {
    QWidget* now = w != nullptr ? w->widget() : nullptr;
    if (lastActive_ != now) {
        if (channels_.GridOpen() && lastActive_ == channels_.grid)
            channels_.grid->Deactivated();
        lastActive_ = now;
    }
    if (channels_.GridOpen() && now == channels_.grid)
        channels_.grid->Activated();
}

} // namespace zt
