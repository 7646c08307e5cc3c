// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_main.h"

#include "app/frm_about.h"
#include "app/frm_main_parts.h"
#include "app/frm_model_info.h"
#include "app/frm_user_guide.h"
#include "app/qt_translations.h"
#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"
#include "channels/frm_habits.h"
#include "common/twips.h"
#include "exchange/channel_exchange.h"
#include "files/app_settings.h"
#include "files/data_files.h"
#include "files/version_table.h"
#include "lang/frm_set_language.h"
#include "model/model_config.h"
#include "util/shown_text.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
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

#include <span>

namespace zt {

namespace {

using namespace mainwin;

constexpr int kMinPaneTwips = 300;

struct NodeDef {
    const char* key;
    int textId;
    Cmd command; // the menu command the node runs
};
// The tree's nodes below the root, in their order.
constexpr NodeDef kTreeNodes[] = {
    {"N1", 12001, Cmd::mnuChannelInfo}, {"N2", 12002, Cmd::mnuOptFeature}, {"N4", 12004, Cmd::MnuDTMF},
    {"N13", 12015, Cmd::mnuResetInit},  {"N12", 12014, Cmd::mnuToneTips},  {"N6", 12006, Cmd::mnuEmbeddedMsg},
    {"N7", 12007, Cmd::MnuLocalInfo},
};
// Keys the click handler knows although the tree does not show them.
constexpr NodeDef kHiddenNodes[] = {
    {"N3", 12003, Cmd::MnuRadioFre}, {"N5", 12005, Cmd::MnuTestFre}, {"N8", 12010, Cmd::MnuKey},
    {"N9", 12011, Cmd::MnuScan},     {"N10", 12012, Cmd::MnuAlert},  {"N11", 12013, Cmd::mnuGroupName},
};

} // namespace

frmMain::frmMain(AppState& app, Document& doc, QWidget* parent)
    : frmMain(app, doc, *new RadioInfoRecord, parent) {
    ownInfo_.reset(info_);
}

frmMain::frmMain(AppState& app, Document& doc, RadioInfoRecord& info, QWidget* parent)
    : QMainWindow(parent), app_(app), doc_(doc), info_(&info), channels_(app, doc) {
    setObjectName("frmMain");
    channels_.host = this;
    channels_.router = this;
    channels_.ChannelsChanged = [this] { Route(Refresh::Channels); };
    appliedLanguage_ = app_.LanguageCode;

    buildPane();
    buildMenus();
    buildToolbar();
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(this);
        l->setObjectName(QString("sbStatusBar_%1").arg(i + 1));
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        statusBar()->addWidget(l, i == 0 ? 1 : 0);
        panels_[static_cast<std::size_t>(i)] = l;
    }
    statusBar()->setObjectName("sbStatusBar");
    registerWindows();
    // Start-up check of the command and window registry (the window tests also assert it).
    for (const QString& problem : RegistryProblems())
        qCritical("ztprog: %s", qPrintable(problem));

    timerCHEdit_.setSingleShot(true);
    timerCHEdit_.setInterval(20);
    connect(&timerCHEdit_, &QTimer::timeout, this, &frmMain::onTimerCHEdit);
    newDocTimer_.setSingleShot(true);
    newDocTimer_.setInterval(100);
    connect(&newDocTimer_, &QTimer::timeout, this, &frmMain::onNewDocTimer);
    AddBlockingTimer(&newDocTimer_);

    Change_Language();
    ShowCHInfo(false);
    // Every input anywhere in the program may change the document: the history looks after it.
    qApp->installEventFilter(this);
    DocumentReplaced();
}

frmMain::~frmMain() {
    qApp->removeEventFilter(this);
    // Child windows go before the shared channel-editor state they point into.
    for (QMdiSubWindow* w : mdi_->subWindowList())
        delete w;
    if (qtTranslator_ != nullptr)
        QCoreApplication::removeTranslator(qtTranslator_);
}

void frmMain::buildPane() {
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName("CommandMove");
    splitter_->setChildrenCollapsible(false);
    leftPane_ = new QWidget(splitter_);
    leftPane_->setObjectName("Picture1");
    auto* paneLayout = new QVBoxLayout(leftPane_);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    tree_ = new QTreeWidget(leftPane_);
    tree_->setObjectName("TreeView1");
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setAccessibleName("TreeView1");
    paneLayout->addWidget(tree_);
    // The pane never gets narrower than 300 twips; the splitter keeps the boundary inside the
    // window.
    leftPane_->setMinimumWidth(Tw(kMinPaneTwips, this));
    mdi_ = new QMdiArea(splitter_);
    mdi_->setObjectName("MDIClient");
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The background picture is scaled to the area each time the area changes size.
    mdi_->viewport()->installEventFilter(this);
    splitter_->addWidget(leftPane_);
    splitter_->addWidget(mdi_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({Tw(2800, this), Tw(9700, this)});
    setCentralWidget(splitter_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, &frmMain::onSubWindowActivated);
    auto click = [this](QTreeWidgetItem* item) {
        if (item != nullptr)
            NodeClick(item->data(0, Qt::UserRole).toString());
    };
    connect(tree_, &QTreeWidget::itemClicked, this, click);
    connect(tree_, &QTreeWidget::itemActivated, this, click);
}

QAction* frmMain::addCommand(QMenu* menu, Cmd c, std::function<void()> run) {
    const QString name = Name(c);
    auto* a = menu->addAction(QString());
    a->setObjectName(name);
    actions_.insert(name, a);
    commands_.insert(name, run);
    connect(a, &QAction::triggered, this, [this, n = name] {
        if (const auto run = commands_.value(n))
            run();
        // A command's change (an import, say) is a step of its own.
        recordChange(false);
    });
    return a;
}

QAction* frmMain::addWindowCommand(QMenu* menu, Cmd c, Win window) {
    windowCommands_.insert(Name(c), Name(window));
    return addCommand(menu, c, [this, window] { ShowChildWindow(window); });
}

void frmMain::SetCommand(Cmd c, std::function<void()> run) {
    commands_.insert(Name(c), std::move(run));
    UpdateCommandStates();
}

void frmMain::buildMenus() {
    struct MenuDef {
        const char* name;
        int textId;
    };
    auto addMenu = [this](const MenuDef& d) {
        QMenu* m = menuBar()->addMenu(QString());
        m->setObjectName(d.name);
        m->menuAction()->setObjectName(d.name);
        menus_.insert(d.name, m);
        textIds_.insert(d.name, d.textId);
        return m;
    };
    auto cmd = [this](QMenu* m, Cmd c, int textId, std::function<void()> run) {
        textIds_.insert(Name(c), textId);
        return addCommand(m, c, std::move(run));
    };
    auto win = [this](QMenu* m, Cmd c, int textId, Win window) {
        textIds_.insert(Name(c), textId);
        return addWindowCommand(m, c, window);
    };

    QMenu* file = addMenu({"mnuFile", 10000});
    blockable_.push_back(cmd(file, Cmd::mnuFileNew, 10001, [this] { mnuFileNew_Click(); }));
    blockable_.push_back(cmd(file, Cmd::mnuFileOpen, 10002, [this] { mnuFileOpen_Click(); }));
    blockable_.push_back(cmd(file, Cmd::mnuFileSave, 10003, [this] { mnuFileSave_Click(); }));
    blockable_.push_back(cmd(file, Cmd::mnuFileSaveAs, 10004, [this] { mnuFileSaveAs_Click(); }));
    // The backups of radio reads and writes (link/radio_link.cpp gives it its action).
    blockable_.push_back(cmd(file, Cmd::MnuRestoreBackup, 33220, nullptr));
    cmd(file, Cmd::mnuFilePrint, 10005, nullptr)->setVisible(false);
    // Channel exchange and the printed channel list (exchange/channel_exchange.cpp).
    file->addSeparator();
    for (const ExchangeCommand& c : ChannelExchangeCommands())
        blockable_.push_back(cmd(file, c.command, c.textId, [this, run = c.run] { run(*this, app_, doc_); }));
    file->addSeparator();
    blockable_.push_back(cmd(file, Cmd::mnuFileExit, 10006, [this] { close(); }));
    action(Cmd::mnuFileNew)->setShortcut(QKeySequence::New);
    action(Cmd::mnuFileOpen)->setShortcut(QKeySequence::Open);
    action(Cmd::mnuFileSave)->setShortcut(QKeySequence::Save);

    QMenu* model = addMenu({"mnuModel", 10100});
    blockable_.push_back(cmd(model, Cmd::mnuModelInfo, 10101, [this] { mnuModelInfo_Click(); }));

    QMenu* edit = addMenu({"mnuEdit", 10200});
    QAction* undo = cmd(edit, Cmd::mnuUndo, 33100, [this] { mnuUndo_Click(); });
    QAction* redo = cmd(edit, Cmd::mnuRedo, 33101, [this] { mnuRedo_Click(); });
    undo->setShortcut(QKeySequence::Undo);
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence& k :
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)})
        if (!redoKeys.contains(k))
            redoKeys.append(k);
    redo->setShortcuts(redoKeys);
    blockable_.push_back(undo);
    blockable_.push_back(redo);
    edit->addSeparator();
    win(edit, Cmd::mnuChannelInfo, 10201, Win::frmCommChInfo);
    win(edit, Cmd::mnuOptFeature, 10202, Win::FrmOptFeatures);
    win(edit, Cmd::MnuRadioFre, 10203, Win::FrmRadio)->setVisible(false);
    win(edit, Cmd::MnuDTMF, 10204, Win::FrmDTMF);
    win(edit, Cmd::MnuTestFre, 10205, Win::FrmTestFre)->setVisible(false);
    win(edit, Cmd::mnuEmbeddedMsg, 10206, Win::FrmEmbMsg);
    blockable_.push_back(win(edit, Cmd::MnuLocalInfo, 10207, Win::FrmRadioInfo));
    win(edit, Cmd::MnuKey, 10208, Win::FrmKey)->setVisible(false);
    win(edit, Cmd::MnuScan, 10209, Win::FrmScan)->setVisible(false);
    win(edit, Cmd::MnuAlert, 10210, Win::FrmAlert)->setVisible(false);
    win(edit, Cmd::mnuGroupName, 10220, Win::FrmGroupName)->setVisible(false);
    win(edit, Cmd::mnuToneTips, 10221, Win::FrmToneTips);
    win(edit, Cmd::mnuResetInit, 10222, Win::FrmResetMode);

    // The radio commands get their actions from the link part of the program.
    QMenu* program = addMenu({"mnuProgram", 10300});
    blockable_.push_back(cmd(program, Cmd::mnuReadFromRadio, 10301, nullptr));
    blockable_.push_back(cmd(program, Cmd::mnuWriteToRadio, 10302, nullptr));
    blockable_.push_back(cmd(program, Cmd::MnuWriteSeveral, 34600, nullptr));
    blockable_.push_back(cmd(program, Cmd::MnuProPassWord, 10303, nullptr));
    program->addSeparator();
    QAction* verify = cmd(program, Cmd::MnuVerifyWrite, 33210, nullptr);
    verify->setCheckable(true);
    blockable_.push_back(verify);

    QMenu* set = addMenu({"mnuSet", 10400});
    blockable_.push_back(cmd(set, Cmd::mnuComm, 10401, nullptr));
    QAction* keepBefore = cmd(set, Cmd::MnuKeepBeforeWrite, 34706, nullptr);
    keepBefore->setCheckable(true);
    blockable_.push_back(keepBefore);
    blockable_.push_back(cmd(set, Cmd::mnuLanguage, 10402, [this] { mnuLanguage_Click(); }));
    blockable_.push_back(cmd(set, Cmd::MnuInit, 10403, [this] { MnuInit_Click(); }));

    QMenu* view = addMenu({"mnuView", 10500});
    auto toggle = [&](Cmd c, int textId, std::function<void(bool)> apply) {
        QAction* a = cmd(view, c, textId, nullptr);
        a->setCheckable(true);
        a->setChecked(true);
        commands_.insert(Name(c), [a, apply] { apply(a->isChecked()); });
    };
    toggle(Cmd::mnuTreeView, 10501, [this](bool on) { leftPane_->setVisible(on); });
    toggle(Cmd::mnuViewToolbar, 10502, [this](bool on) { toolbar_->setVisible(on); });
    toggle(Cmd::mnuViewStatusBar, 10503, [this](bool on) { statusBar()->setVisible(on); });

    QMenu* window = addMenu({"mnuWindow", 10600});
    cmd(window, Cmd::mnuWindowCascade, 10601, [this] { CascadeWindows(); });
    cmd(window, Cmd::mnuCloseAll, 10602, [this] { CloseCurAllWindows(); });
    // Fixed captions; these entries are never offered.
    addCommand(window, Cmd::mnuWindowTileHorizontal, [this] {
        mdi_->tileSubWindows();
    })->setText("Tile Windows &Horizontally");
    addCommand(window, Cmd::mnuWindowTileVertical, [this] {
        mdi_->tileSubWindows();
    })->setText("Tile Windows &Vertically");
    addCommand(window, Cmd::mnuWindowArrangeIcons, nullptr)->setText("&Arrange Icons");
    for (Cmd n : {Cmd::mnuWindowTileHorizontal, Cmd::mnuWindowTileVertical, Cmd::mnuWindowArrangeIcons})
        action(n)->setVisible(false);
    // The open windows can be reached from the keyboard: Ctrl+F6 goes from one to the next
    // (Ctrl+Tab stays with the pages of a window), and the menu lists them.
    windowMenu_ = window;
    window->addSeparator();
    nextWindow_ = window->addAction(QString());
    nextWindow_->setObjectName("mnuWindowNext");
    nextWindow_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F6));
    connect(nextWindow_, &QAction::triggered, this, [this] { cycleWindows(true); });
    previousWindow_ = window->addAction(QString());
    previousWindow_->setObjectName("mnuWindowPrevious");
    previousWindow_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6));
    connect(previousWindow_, &QAction::triggered, this, [this] { cycleWindows(false); });
    window->addSeparator();
    connect(window, &QMenu::aboutToShow, this, &frmMain::fillWindowList);

    QMenu* help = addMenu({"mnuHelp", 10700});
    cmd(help, Cmd::mnuHelpTopic, 10701, nullptr)->setVisible(app_.HelpAvailable);
    // The user guide in the chosen language (app/frm_user_guide.cpp), F1 anywhere in the main window.
    cmd(help, Cmd::mnuHelpGuide, 34400, [this] { ShowUserGuide(app_, this); })->setShortcut(Qt::Key_F1);
    cmd(help, Cmd::mnuHelpAbout, 10702, [this] { mnuHelpAbout_Click(); });

    // The channel clipboard commands are not part of this program: their menu stays hidden.
    QMenu* chEdit = addMenu({"MnuCHEdit", 10800});
    const Cmd clip[] = {Cmd::MnuCHCut,    Cmd::MnuCHCopy,   Cmd::MnuCHPaste,   Cmd::MnuCHInsert,
                        Cmd::MnuCHDelete, Cmd::MnuCHMoveUp, Cmd::MnuCHMoveDown};
    for (int i = 0; i < 7; ++i)
        cmd(chEdit, clip[i], 10801 + i, nullptr);
    QAction* sep = chEdit->addSeparator();
    sep->setVisible(false);
    cmd(chEdit, Cmd::MnuCHHabits, 10808, [this] { MnuCHHabits_Click(); })->setVisible(false);
}

void frmMain::buildToolbar() {
    toolbar_ = addToolBar(QString());
    toolbar_->setObjectName("tbToolBar");
    toolbar_->setMovable(false);
    toolbar_->setIconSize(QSize(24, 24));
    struct ButtonDef {
        int index;
        const char* key;
        int tipId;
        const char* theme;
        const char* icon;
        Cmd command; // the menu command it runs, or Cmd::None
    };
    const ButtonDef buttons[] = {
        {1, "NewFile", 11000, "document-new", "new", Cmd::None},
        {2, "OpenFile", 11001, "document-open", "open", Cmd::mnuFileOpen},
        {3, "SaveFile", 11002, "document-save", "save", Cmd::mnuFileSave},
        {5, "Print", 11003, "document-print", "print", Cmd::mnuPrintList},
        {7, "ReadRadio", 11004, "go-down", "read", Cmd::mnuReadFromRadio},
        {8, "CommSet", 11005, "preferences-system", "port", Cmd::mnuComm},
        {9, "WriteRadio", 11006, "go-up", "write", Cmd::mnuWriteToRadio},
        {11, "BtnCHCut", 11010, "edit-cut", "cut", Cmd::None},
        {12, "BtnCHCopy", 11011, "edit-copy", "copy", Cmd::None},
        {13, "BtnCHPaste", 11012, "edit-paste", "paste", Cmd::None},
        {15, "BtnCHInsert", 11013, "list-add", "insert", Cmd::None},
        {16, "BtnCHDelete", 11014, "list-remove", "delete", Cmd::None},
        {17, "BtnCHMoveUp", 11015, "go-up", "up", Cmd::None},
        {18, "BtnCHMoveDown", 11016, "go-down", "down", Cmd::None},
        {20, "About", 11007, "help-about", "about", Cmd::mnuHelpAbout},
    };
    int index = 1;
    for (const ButtonDef& b : buttons) {
        for (; index < b.index; ++index) {
            QAction* s = toolbar_->addSeparator();
            s->setObjectName(QString("tbSeparator%1").arg(index));
            actions_.insert(s->objectName(), s);
        }
        QAction* a = toolbar_->addAction(
            QIcon::fromTheme(b.theme, QIcon(QString(":/icons/%1.svg").arg(b.icon))), QString());
        a->setObjectName(b.key);
        actions_.insert(b.key, a);
        textIds_.insert(b.key, b.tipId);
        if (b.command != Cmd::None) {
            // The button runs its menu command and is offered when that command is.
            connect(a, &QAction::triggered, this, [this, c = Name(b.command)] {
                if (const auto run = commands_.value(c))
                    run();
            });
            toolbarCommands_.insert(b.key, Name(b.command));
        }
        ++index;
    }
    commands_.insert("NewFile", [this] { NewFile_Click(); });
    connect(action("NewFile"), &QAction::triggered, this, [this] { NewFile_Click(); });
    for (const char* k : {"NewFile", "OpenFile", "SaveFile", "Print", "ReadRadio", "CommSet", "WriteRadio"})
        blockable_.push_back(action(k));
}

void frmMain::ShowCHInfo(bool show) {
    menu("MnuCHEdit")->menuAction()->setVisible(show);
    // Toolbar buttons 11..19 (with their separators).
    for (QAction* a : toolbar_->actions()) {
        const QString n = a->objectName();
        if (n.startsWith("BtnCH") || n == "tbSeparator14" || n == "tbSeparator19")
            a->setVisible(show);
    }
}

// ---- texts ------------------------------------------------------------------------------

QString frmMain::FileFilter() const {
    return Q(app_.LangText(9001)) + " (*.dat)";
}

void frmMain::ShowStatus(const std::string& text) {
    statusBar()->showMessage(Q(text));
}

void frmMain::ShowMainTxt() {
    setWindowTitle(Q(app_.LangText(12000) + "[" + app_.ModelNameText + ":" + app_.BandText + "][" +
                     app_.LangText(12009) + ":" + ShownText(FileNamePart(app_.DocFileName)) + "]" +
                     (readOnly_ ? " (read-only)" : "")));
    if (QTreeWidgetItem* root = tree_->topLevelItemCount() > 0 ? tree_->topLevelItem(0) : nullptr)
        root->setText(0, Q(app_.ModelNameText));
    panels_[0]->setText(app_.IsUntitled ? QString()
                                        : QDir::toNativeSeparators(Q(ShownText(app_.DocFileName))));
    panels_[1]->setText(Q(app_.ModelNameText + "[" + app_.BandText + "]"));
    const std::string port = app_.ComPortName.empty() ? std::to_string(app_.ComPort) : app_.ComPortName;
    panels_[2]->setText(Q(app_.LangText(12008) + port));
}

void frmMain::Change_Language() {
    installQtTranslations();
    nextWindow_->setText(Q(app_.LangText(10603)));
    previousWindow_->setText(Q(app_.LangText(10604)));
    for (auto it = textIds_.cbegin(); it != textIds_.cend(); ++it) {
        const QString text = Q(app_.LangText(it.value()));
        if (QMenu* m = menus_.value(it.key())) {
            m->setTitle(text);
            continue;
        }
        QAction* a = actions_.value(it.key());
        if (a == nullptr)
            continue;
        if (toolbar_->actions().contains(a)) {
            a->setToolTip(text);
            a->setText(text);
        } else {
            a->setText(text);
        }
    }
    ShowMainTxt();
    LoadBKPic();
    LoadTree();
}

void frmMain::LoadTree() {
    tree_->clear();
    nodeCommands_.clear();
    auto* root = new QTreeWidgetItem(tree_, {Q(app_.ModelNameText)});
    root->setData(0, Qt::UserRole, "N0");
    for (const NodeDef& n : kTreeNodes) {
        auto* item = new QTreeWidgetItem(root, {Q(app_.LangText(n.textId))});
        item->setData(0, Qt::UserRole, n.key);
    }
    for (const auto* table : {kTreeNodes, kHiddenNodes}) {
        const std::size_t count = table == kTreeNodes ? std::size(kTreeNodes) : std::size(kHiddenNodes);
        for (std::size_t i = 0; i < count; ++i) {
            const QString command = Name(table[i].command);
            nodeActions_.insert(table[i].key, command);
            nodeCommands_.insert(table[i].key, [this, command] {
                if (const auto run = commands_.value(command))
                    run();
            });
        }
    }
    root->setExpanded(true);
}

QStringList frmMain::RegistryProblems() const {
    QStringList problems;
    for (std::size_t i = 0; i < kWindowNames.size(); ++i)
        if (!factories_.contains(Name(static_cast<Win>(i))))
            problems << "window " + Name(static_cast<Win>(i)) + " has no factory";
    for (auto it = windowCommands_.cbegin(); it != windowCommands_.cend(); ++it)
        if (!factories_.contains(it.value()))
            problems << "command " + it.key() + " opens the unknown window " + it.value();
    for (const auto& table : {std::span<const NodeDef>(kTreeNodes), std::span<const NodeDef>(kHiddenNodes)})
        for (const NodeDef& n : table)
            if (!actions_.contains(Name(n.command)))
                problems << "tree node " + QString::fromLatin1(n.key) + " runs the unknown command " +
                                Name(n.command);
    for (const QString& command : toolbarCommands_)
        if (!actions_.contains(command))
            problems << "a toolbar button runs the unknown command " + command;
    return problems;
}

void frmMain::LoadBKPic() {
    const QString file = QDir(Q(app_.ProgramDir)).filePath(QString("PIC/BK_%1.jpg").arg(app_.LanguageCode));
    const QPixmap pic(file);
    const QSize area = mdi_->viewport()->size();
    if (pic.isNull() || area.isEmpty()) {
        mdi_->setBackground(palette().brush(QPalette::Dark));
        return;
    }
    mdi_->setBackground(QBrush(pic.scaled(area, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

void frmMain::installQtTranslations() {
    // The standard buttons and dialogs (Yes, No, Cancel, Open, Save) follow the language too.
    ApplyQtTranslations(app_.LanguageCode);
}

void frmMain::CheckLanguage() {
    if (app_.LanguageCode == appliedLanguage_)
        return;
    appliedLanguage_ = app_.LanguageCode;
    LoadLanguageTexts(app_);
    Change_Language();
    CloseCurAllWindows();
    ShowChildWindow(frmCommChInfo::kName);
}

bool frmMain::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        CheckLanguage();
    return QMainWindow::event(e);
}

bool frmMain::eventFilter(QObject* o, QEvent* e) {
    if (o == mdi_->viewport() && e->type() == QEvent::Resize)
        LoadBKPic();
    switch (e->type()) {
    case QEvent::KeyPress:
        // Undo and redo keys in a text box with no typing of its own to take back (a cell editor
        // just opened, say) take back a step of the document instead of doing nothing.
        if (auto* box = qobject_cast<QLineEdit*>(o); box != nullptr && box->window() == this) {
            const auto* k = static_cast<QKeyEvent*>(e);
            const bool undo = k->matches(QKeySequence::Undo);
            const bool redo = k->matches(QKeySequence::Redo) ||
                              (k->key() == Qt::Key_Y && k->modifiers() == Qt::ControlModifier);
            if ((undo && !box->isUndoAvailable()) || (redo && !undo && !box->isRedoAvailable())) {
                stepHistory(undo);
                return true;
            }
        }
        break;
    case QEvent::KeyRelease:
        scheduleRecord(true);
        break;
    case QEvent::MouseButtonPress:
        undo_.EndRun();
        break;
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
        scheduleRecord(false);
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(o, e);
}

} // namespace zt
