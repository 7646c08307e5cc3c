// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's child windows: opening or focusing them by name, routing changes between
// them, the tree's clicks, the busy state that refuses commands, and the channel habits dialog.
#include "app/frm_main.h"

#include "app/frm_about.h"
#include "app/frm_main_parts.h"
#include "app/frm_model_info.h"
#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"
#include "channels/frm_habits.h"
#include "common/tab_order.h"
#include "common/twips.h"
#include "exchange/channel_exchange.h"
#include "files/app_settings.h"
#include "files/data_files.h"
#include "files/version_table.h"
#include "lang/frm_set_language.h"
#include "model/model_config.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>
#include <QTranslator>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zt {

// ---- child windows ----------------------------------------------------------------------

void frmMain::RegisterWindow(Win w, WindowFactory make) {
    factories_.insert(Name(w), std::move(make));
    UpdateCommandStates();
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

QWidget* frmMain::ShowChildWindow(const QString& name) {
    if (QWidget* open = ChildByName(name)) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(open->parentWidget())) {
            if (sub->isMinimized())
                sub->showNormal();
            mdi_->setActiveSubWindow(sub);
        }
        // The control of the window that had the focus last takes it again, else its first.
        if (!open->isAncestorOf(QApplication::focusWidget())) {
            QWidget* last = open->focusWidget();
            if (last != nullptr && open->isAncestorOf(last) && last->isVisible() && last->isEnabled())
                last->setFocus(Qt::OtherFocusReason);
            else
                FocusFirstControl(open);
        }
        return open;
    }
    const auto make = factories_.value(name);
    // A window may normalise what it shows as it opens: that is no step of the history.
    recordChange(false);
    QWidget* w = make ? make() : nullptr;
    if (w == nullptr)
        return nullptr;
    undo_.Rebase(doc_.work);
    // A window that never chose its size (only a minimum) opens at that minimum, not at the
    // default size of a new widget, which leaves an empty band below small windows.
    const QSize size = w->testAttribute(Qt::WA_Resized) ? w->size() : w->minimumSize();
    QMdiSubWindow* sub = mdi_->addSubWindow(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setObjectName(name + "_frame");
    sub->resize(sub->sizeHint().expandedTo(size + QSize(8, 30)));
    w->show();
    CascadeWindows();
    mdi_->setActiveSubWindow(sub);
    // The keyboard goes to the new window, also when it was opened from the tree.
    if (auto* editor = qobject_cast<EditorWindow*>(w))
        editor->takeFocusOnOpen();
    else
        FocusFirstControl(w);
    return w;
}

void frmMain::fillWindowList() {
    for (QAction* a : windowList_) {
        windowMenu_->removeAction(a);
        a->deleteLater();
    }
    windowList_.clear();
    const QList<QMdiSubWindow*> open = mdi_->subWindowList(QMdiArea::CreationOrder);
    for (int i = 0; i < open.size(); ++i) {
        QMdiSubWindow* sub = open[i];
        if (sub->widget() == nullptr)
            continue;
        // The first nine have their number as the access key.
        const QString title = sub->widget()->windowTitle();
        auto* a = windowMenu_->addAction(i < 9 ? QString("&%1 %2").arg(i + 1).arg(title) : title);
        a->setObjectName(QString("mnuWindowList_%1").arg(i));
        a->setCheckable(true);
        a->setChecked(sub == mdi_->activeSubWindow());
        connect(a, &QAction::triggered, this,
                [this, name = sub->widget()->objectName()] { ShowChildWindow(name); });
        windowList_.push_back(a);
    }
}

void frmMain::cycleWindows(bool forward) {
    const QList<QMdiSubWindow*> open = mdi_->subWindowList(QMdiArea::CreationOrder);
    if (open.isEmpty())
        return;
    const qsizetype at = open.indexOf(mdi_->activeSubWindow());
    const qsizetype n = open.size();
    const qsizetype next = at < 0 ? 0 : (at + (forward ? 1 : n - 1)) % n;
    if (QWidget* w = open[next]->widget())
        ShowChildWindow(w->objectName());
}

void frmMain::CascadeWindows() {
    // Each window is placed down and to the right of the previous one; sizes are kept (the
    // windows have fixed layouts that must not be squeezed).
    const int step = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
    int i = 0;
    for (QMdiSubWindow* w : mdi_->subWindowList(QMdiArea::CreationOrder)) {
        if (w->isMinimized() || w->isMaximized() || !w->isVisible())
            continue;
        w->move(i * step, i * step);
        ++i;
    }
}

void frmMain::CloseCurAllWindows() {
    mdi_->closeAllSubWindows();
}

void frmMain::Route(Refresh what, QWidget* from) {
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        auto* w = qobject_cast<EditorWindow*>(sub->widget());
        if (w != nullptr && w != from)
            w->refresh(what);
    }
}

void frmMain::SetSaveEditData() {
    if (channels_.GridOpen())
        channels_.grid->CommitPendingEdit();
}

void frmMain::CommitAllEdits() {
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (auto* w = qobject_cast<EditorWindow*>(sub->widget()))
            w->commitPendingEdit();
}

void frmMain::ShowEditWindow() {
    ShowChildWindow(FrmCHInfoEdit::kName);
}

bool frmMain::nodeEnabled(const QString& key) const {
    const QAction* a = action(nodeActions_.value(key));
    return a != nullptr && a->isEnabled();
}

void frmMain::NodeClick(const QString& key) {
    // The DTMF node also offers the DTMF window in the Edit menu.
    if (key == "N4")
        action(Cmd::MnuDTMF)->setVisible(true);
    const auto run = nodeCommands_.value(key);
    if (run && nodeEnabled(key))
        run();
}

// ---- busy state -------------------------------------------------------------------------

void frmMain::SetExchangeRunning(bool running) {
    exchangeRunning_ = running;
    UpdateCommandStates();
}

void frmMain::AddBlockingTimer(QTimer* t) {
    blockingTimers_.push_back(t);
    connect(
        t, &QTimer::timeout, this, [this] { UpdateCommandStates(); }, Qt::QueuedConnection);
}

bool frmMain::CommandsBlocked() const {
    if (exchangeRunning_)
        return true;
    for (const QTimer* t : blockingTimers_)
        if (t->isActive())
            return true;
    return false;
}

void frmMain::UpdateCommandStates() {
    const bool blocked = CommandsBlocked();
    // A command is offered when it has something to run: its window is known, or its action set.
    auto available = [this](const QString& n) {
        if (windowCommands_.contains(n))
            return factories_.contains(windowCommands_.value(n));
        return !commands_.contains(n) || static_cast<bool>(commands_.value(n));
    };
    for (auto it = actions_.cbegin(); it != actions_.cend(); ++it) {
        const QString& name = it.key();
        if (name.startsWith("tbSeparator"))
            continue;
        QAction* a = it.value();
        bool enabled = available(toolbarCommands_.value(name, name));
        if (blocked && std::find(blockable_.begin(), blockable_.end(), a) != blockable_.end())
            enabled = false;
        a->setEnabled(enabled);
    }
    action(Cmd::mnuUndo)->setEnabled(action(Cmd::mnuUndo)->isEnabled() && undo_.CanUndo());
    action(Cmd::mnuRedo)->setEnabled(action(Cmd::mnuRedo)->isEnabled() && undo_.CanRedo());
}

// ---- channel editing habits ---------------------------------------------------------------

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
    if (app_.habits.TxAsOffset != before)
        Route(Refresh::TxAsOffset);
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
