#include "app/frm_main.h"

#include "app/frm_about.h"
#include "app/frm_model_info.h"
#include "app/qt_translations.h"
#include "app/twips.h"
#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"
#include "channels/frm_habits.h"
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

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The file-name part of a path: after the last "/" or "\".
std::string FileNamePart(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Window rectangle defaults, in twips.
constexpr int kDefaultLeft = 1000;
constexpr int kDefaultTop = 1000;
constexpr int kDefaultWidth = 12500;
constexpr int kDefaultHeight = 9500;
constexpr int kMinPaneTwips = 300;

struct NodeDef {
    const char* key;
    int textId;
    const char* command; // the menu command the node runs
};
// The tree's nodes below the root, in their order.
constexpr NodeDef kTreeNodes[] = {
    {"N1", 12001, "mnuChannelInfo"}, {"N2", 12002, "mnuOptFeature"}, {"N4", 12004, "MnuDTMF"},
    {"N13", 12015, "mnuResetInit"},  {"N12", 12014, "mnuToneTips"},  {"N6", 12006, "mnuEmbeddedMsg"},
    {"N7", 12007, "MnuLocalInfo"},
};
// Keys the click handler knows although the tree does not show them.
constexpr NodeDef kHiddenNodes[] = {
    {"N3", 12003, "MnuRadioFre"}, {"N5", 12005, "MnuTestFre"}, {"N8", 12010, "MnuKey"},
    {"N9", 12011, "MnuScan"},     {"N10", 12012, "MnuAlert"},  {"N11", 12013, "mnuGroupName"},
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

QAction* frmMain::addCommand(QMenu* menu, const char* name, std::function<void()> run) {
    auto* a = menu->addAction(QString());
    a->setObjectName(name);
    actions_.insert(name, a);
    commands_.insert(name, run);
    connect(a, &QAction::triggered, this, [this, n = QString(name)] {
        if (const auto run = commands_.value(n))
            run();
        // A command's change (an import, say) is a step of its own.
        recordChange(false);
    });
    return a;
}

QAction* frmMain::addWindowCommand(QMenu* menu, const char* name, const char* window) {
    windowCommands_.insert(name, window);
    return addCommand(menu, name, [this, w = QString(window)] { ShowChildWindow(w); });
}

void frmMain::SetCommand(const QString& name, std::function<void()> run) {
    commands_.insert(name, std::move(run));
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
    auto cmd = [this](QMenu* m, const char* name, int textId, std::function<void()> run) {
        textIds_.insert(name, textId);
        return addCommand(m, name, std::move(run));
    };
    auto win = [this](QMenu* m, const char* name, int textId, const char* window) {
        textIds_.insert(name, textId);
        return addWindowCommand(m, name, window);
    };

    QMenu* file = addMenu({"mnuFile", 10000});
    blockable_.push_back(cmd(file, "mnuFileNew", 10001, [this] { mnuFileNew_Click(); }));
    blockable_.push_back(cmd(file, "mnuFileOpen", 10002, [this] { mnuFileOpen_Click(); }));
    blockable_.push_back(cmd(file, "mnuFileSave", 10003, [this] { mnuFileSave_Click(); }));
    blockable_.push_back(cmd(file, "mnuFileSaveAs", 10004, [this] { mnuFileSaveAs_Click(); }));
    // The backups of radio reads and writes (link/radio_link.cpp gives it its action).
    blockable_.push_back(cmd(file, "MnuRestoreBackup", 33220, nullptr));
    cmd(file, "mnuFilePrint", 10005, nullptr)->setVisible(false);
    // Channel exchange and the printed channel list (exchange/channel_exchange.cpp).
    file->addSeparator();
    for (const ExchangeCommand& c : ChannelExchangeCommands())
        blockable_.push_back(cmd(file, c.name, c.textId, [this, run = c.run] { run(*this, app_, doc_); }));
    file->addSeparator();
    blockable_.push_back(cmd(file, "mnuFileExit", 10006, [this] { close(); }));
    action("mnuFileNew")->setShortcut(QKeySequence::New);
    action("mnuFileOpen")->setShortcut(QKeySequence::Open);
    action("mnuFileSave")->setShortcut(QKeySequence::Save);

    QMenu* model = addMenu({"mnuModel", 10100});
    blockable_.push_back(cmd(model, "mnuModelInfo", 10101, [this] { mnuModelInfo_Click(); }));

    QMenu* edit = addMenu({"mnuEdit", 10200});
    QAction* undo = cmd(edit, "mnuUndo", 33100, [this] { mnuUndo_Click(); });
    QAction* redo = cmd(edit, "mnuRedo", 33101, [this] { mnuRedo_Click(); });
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
    win(edit, "mnuChannelInfo", 10201, frmCommChInfo::kName);
    win(edit, "mnuOptFeature", 10202, "FrmOptFeatures");
    win(edit, "MnuRadioFre", 10203, "FrmRadio")->setVisible(false);
    win(edit, "MnuDTMF", 10204, "FrmDTMF");
    win(edit, "MnuTestFre", 10205, "FrmTestFre")->setVisible(false);
    win(edit, "mnuEmbeddedMsg", 10206, "FrmEmbMsg");
    blockable_.push_back(win(edit, "MnuLocalInfo", 10207, "FrmRadioInfo"));
    win(edit, "MnuKey", 10208, "FrmKey")->setVisible(false);
    win(edit, "MnuScan", 10209, "FrmScan")->setVisible(false);
    win(edit, "MnuAlert", 10210, "FrmAlert")->setVisible(false);
    win(edit, "mnuGroupName", 10220, "FrmGroupName")->setVisible(false);
    win(edit, "mnuToneTips", 10221, "FrmToneTips");
    win(edit, "mnuResetInit", 10222, "FrmResetMode");

    // The radio commands get their actions from the link part of the program.
    QMenu* program = addMenu({"mnuProgram", 10300});
    blockable_.push_back(cmd(program, "mnuReadFromRadio", 10301, nullptr));
    blockable_.push_back(cmd(program, "mnuWriteToRadio", 10302, nullptr));
    blockable_.push_back(cmd(program, "MnuProPassWord", 10303, nullptr));
    program->addSeparator();
    QAction* verify = cmd(program, "MnuVerifyWrite", 33210, nullptr);
    verify->setCheckable(true);
    blockable_.push_back(verify);

    QMenu* set = addMenu({"mnuSet", 10400});
    blockable_.push_back(cmd(set, "mnuComm", 10401, nullptr));
    blockable_.push_back(cmd(set, "mnuLanguage", 10402, [this] { mnuLanguage_Click(); }));
    blockable_.push_back(cmd(set, "MnuInit", 10403, [this] { MnuInit_Click(); }));

    QMenu* view = addMenu({"mnuView", 10500});
    auto toggle = [&](const char* name, int textId, std::function<void(bool)> apply) {
        QAction* a = cmd(view, name, textId, nullptr);
        a->setCheckable(true);
        a->setChecked(true);
        commands_.insert(name, [a, apply] { apply(a->isChecked()); });
    };
    toggle("mnuTreeView", 10501, [this](bool on) { leftPane_->setVisible(on); });
    toggle("mnuViewToolbar", 10502, [this](bool on) { toolbar_->setVisible(on); });
    toggle("mnuViewStatusBar", 10503, [this](bool on) { statusBar()->setVisible(on); });

    QMenu* window = addMenu({"mnuWindow", 10600});
    cmd(window, "mnuWindowCascade", 10601, [this] { CascadeWindows(); });
    cmd(window, "mnuCloseAll", 10602, [this] { CloseCurAllWindows(); });
    // Fixed captions; these entries are never offered.
    addCommand(window, "mnuWindowTileHorizontal", [this] {
        mdi_->tileSubWindows();
    })->setText("Tile Windows &Horizontally");
    addCommand(window, "mnuWindowTileVertical", [this] {
        mdi_->tileSubWindows();
    })->setText("Tile Windows &Vertically");
    addCommand(window, "mnuWindowArrangeIcons", nullptr)->setText("&Arrange Icons");
    for (const char* n : {"mnuWindowTileHorizontal", "mnuWindowTileVertical", "mnuWindowArrangeIcons"})
        action(n)->setVisible(false);

    QMenu* help = addMenu({"mnuHelp", 10700});
    cmd(help, "mnuHelpTopic", 10701, nullptr)->setVisible(app_.HelpAvailable);
    cmd(help, "mnuHelpAbout", 10702, [this] { mnuHelpAbout_Click(); });

    // The channel clipboard commands are not part of this program: their menu stays hidden.
    QMenu* chEdit = addMenu({"MnuCHEdit", 10800});
    const char* clip[] = {"MnuCHCut",    "MnuCHCopy",   "MnuCHPaste",   "MnuCHInsert",
                          "MnuCHDelete", "MnuCHMoveUp", "MnuCHMoveDown"};
    for (int i = 0; i < 7; ++i)
        cmd(chEdit, clip[i], 10801 + i, nullptr);
    QAction* sep = chEdit->addSeparator();
    sep->setVisible(false);
    cmd(chEdit, "MnuCHHabits", 10808, [this] { MnuCHHabits_Click(); })->setVisible(false);
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
        const char* command; // the menu command it runs, or nullptr
    };
    const ButtonDef buttons[] = {
        {1, "NewFile", 11000, "document-new", "new", nullptr},
        {2, "OpenFile", 11001, "document-open", "open", "mnuFileOpen"},
        {3, "SaveFile", 11002, "document-save", "save", "mnuFileSave"},
        {5, "Print", 11003, "document-print", "print", "mnuPrintList"},
        {7, "ReadRadio", 11004, "go-down", "read", "mnuReadFromRadio"},
        {8, "CommSet", 11005, "preferences-system", "port", "mnuComm"},
        {9, "WriteRadio", 11006, "go-up", "write", "mnuWriteToRadio"},
        {11, "BtnCHCut", 11010, "edit-cut", "cut", nullptr},
        {12, "BtnCHCopy", 11011, "edit-copy", "copy", nullptr},
        {13, "BtnCHPaste", 11012, "edit-paste", "paste", nullptr},
        {15, "BtnCHInsert", 11013, "list-add", "insert", nullptr},
        {16, "BtnCHDelete", 11014, "list-remove", "delete", nullptr},
        {17, "BtnCHMoveUp", 11015, "go-up", "up", nullptr},
        {18, "BtnCHMoveDown", 11016, "go-down", "down", nullptr},
        {20, "About", 11007, "help-about", "about", "mnuHelpAbout"},
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
        if (b.command != nullptr) {
            // The button runs its menu command and is offered when that command is.
            connect(a, &QAction::triggered, this, [this, c = QString(b.command)] {
                if (const auto run = commands_.value(c))
                    run();
            });
            toolbarCommands_.insert(b.key, b.command);
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

// ---- child windows ----------------------------------------------------------------------

void frmMain::RegisterWindow(const QString& name, WindowFactory make) {
    factories_.insert(name, std::move(make));
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
        open->setFocus();
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
    return w;
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
        action("MnuDTMF")->setVisible(true);
    const auto run = nodeCommands_.value(key);
    if (run && nodeEnabled(key))
        run();
}

// ---- texts ------------------------------------------------------------------------------

QString frmMain::FileFilter() const {
    return Q(app_.LangText(9001)) + " (*.dat)";
}

void frmMain::ShowMainTxt() {
    setWindowTitle(Q(app_.LangText(12000) + "[" + app_.ModelNameText + ":" + app_.BandText + "][" +
                     app_.LangText(12009) + ":" + FileNamePart(app_.DocFileName) + "]"));
    if (QTreeWidgetItem* root = tree_->topLevelItemCount() > 0 ? tree_->topLevelItem(0) : nullptr)
        root->setText(0, Q(app_.ModelNameText));
    panels_[0]->setText(app_.IsUntitled ? QString() : QDir::toNativeSeparators(Q(app_.DocFileName)));
    panels_[1]->setText(Q(app_.ModelNameText + "[" + app_.BandText + "]"));
    const std::string port = app_.ComPortName.empty() ? std::to_string(app_.ComPort) : app_.ComPortName;
    panels_[2]->setText(Q(app_.LangText(12008) + port));
}

void frmMain::Change_Language() {
    installQtTranslations();
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
            const QString command = table[i].command;
            nodeActions_.insert(table[i].key, command);
            nodeCommands_.insert(table[i].key, [this, command] {
                if (const auto run = commands_.value(command))
                    run();
            });
        }
    }
    root->setExpanded(true);
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

// ---- opening and closing ------------------------------------------------------------------

void frmMain::Form_Load() {
    restoreRectangle();
    Change_Language();
    // The main window builds the new document again as it opens.
    InitDocument(app_, doc_, *info_);
    DocumentReplaced();
    Change_Language();
    ShowChildWindow(frmCommChInfo::kName);
    ShowMainTxt();
    ShowCHInfo(false);
}

void frmMain::restoreRectangle() {
    QSettings s;
    s.beginGroup("Settings");
    const int left = s.value("MainLeft", kDefaultLeft).toInt();
    const int top = s.value("MainTop", kDefaultTop).toInt();
    const int width = s.value("MainWidth", kDefaultWidth).toInt();
    const int height = s.value("MainHeight", kDefaultHeight).toInt();
    QRect r(Tw(left, this), Tw(top, this), Tw(width, this), Tw(height, this));
    // A rectangle saved on a screen that is no longer there, or too small to use, falls back to
    // the defaults.
    bool visible = false;
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersected(r).width() >= 100 &&
            screen->availableGeometry().intersected(r).height() >= 50)
            visible = true;
    if (!visible || width < 1500 || height < 1500)
        r = QRect(Tw(kDefaultLeft, this), Tw(kDefaultTop, this), Tw(kDefaultWidth, this),
                  Tw(kDefaultHeight, this));
    resize(r.size());
    move(r.topLeft());
}

void frmMain::saveRectangle() {
    if (isMinimized())
        return;
    const double perPixel = 1440.0 / LogicalDpi(this);
    const QRect r = geometry();
    QSettings s;
    s.beginGroup("Settings");
    s.setValue("MainLeft", qRound(r.left() * perPixel));
    s.setValue("MainTop", qRound(r.top() * perPixel));
    s.setValue("MainWidth", qRound(r.width() * perPixel));
    s.setValue("MainHeight", qRound(r.height() * perPixel));
}

void frmMain::closeEvent(QCloseEvent* e) {
    if (quitting_) {
        mdi_->closeAllSubWindows();
        QMainWindow::closeEvent(e);
        return;
    }
    // Nothing may end while an exchange with the radio or a document build is under way.
    if (CommandsBlocked()) {
        e->ignore();
        return;
    }
    saveRectangle();
    // What is typed but not yet stored belongs to the document: store it before the document
    // is compared with its file.
    CommitAllEdits();
    if (!askSaveFirst()) {
        e->ignore();
        return;
    }
    // The child windows run their own unload steps before the frame goes.
    mdi_->closeAllSubWindows();
    QMainWindow::closeEvent(e);
}

bool frmMain::askSaveFirst() {
    if (!IsModified(doc_) || app_.prompter == nullptr)
        return true;
    const Answer a = app_.prompter->ask(app_.LangText(9006), Icon::Warning, Buttons::YesNoCancel);
    if (a == Answer::Cancel)
        return false;
    if (a == Answer::Yes)
        return mnuFileSave_Click();
    return true;
}

// ---- document commands --------------------------------------------------------------------

void frmMain::mnuFileNew_Click() {
    if (CommandsBlocked())
        return;
    CommitAllEdits();
    if (IsModified(doc_)) {
        // Whatever the answer (and whether the save succeeds), the new-document question follows.
        if (app_.prompter->ask(app_.LangText(9006), Icon::Warning, Buttons::YesNoCancel) == Answer::Yes)
            mnuFileSave_Click();
    }
    if (app_.prompter->ask(app_.LangText(9026), Icon::Warning, Buttons::OkCancel) != Answer::Ok) {
        app_.InitFromFactory = false;
        return;
    }
    LoadNewDoc();
}

void frmMain::NewFile_Click() {
    if (CommandsBlocked())
        return;
    LoadNewDoc();
}

void frmMain::MnuInit_Click() {
    if (CommandsBlocked())
        return;
    app_.InitFromFactory = true;
    mnuFileNew_Click();
}

void frmMain::LoadNewDoc() {
    CloseCurAllWindows();
    newDocTimer_.start();
    UpdateCommandStates();
}

void frmMain::onNewDocTimer() {
    newDocTimer_.stop();
    InitDocument(app_, doc_, *info_);
    app_.InitFromFactory = false;
    ShowReplacedDocument();
}

void frmMain::ShowReplacedDocument() {
    DocumentReplaced();
    Change_Language();
    ShowChildWindow(frmCommChInfo::kName);
    CascadeWindows();
    UpdateCommandStates();
}

bool frmMain::mnuFileOpen_Click() {
    if (CommandsBlocked())
        return false;
    CommitAllEdits();
    if (!askSaveFirst())
        return false;
    const QString path = chooser_->openFileName(this, FileFilter());
    if (path.isEmpty())
        return false;
    CloseCurAllWindows();
    const OpenResult r = OpenDocument(app_, doc_, QFile::encodeName(path).toStdString(), info_);
    if (r == OpenResult::Opened)
        DocumentReplaced();
    if (r == OpenResult::HandedOver) {
        QuitAfterHandOver();
        return true;
    }
    // A refused file leaves the document as it was, shown again in the channel window.
    ShowChildWindow(frmCommChInfo::kName);
    Change_Language();
    CascadeWindows();
    return r == OpenResult::Opened;
}

bool frmMain::mnuFileSave_Click() {
    if (CommandsBlocked())
        return false;
    CommitAllEdits();
    if (app_.IsUntitled)
        return mnuFileSaveAs_Click();
    const std::string question = "\"" + FileNamePart(app_.DocFileName) + "\"" + app_.LangText(9007);
    if (app_.prompter->ask(question, Icon::Question, Buttons::OkCancel) != Answer::Ok)
        return false;
    const bool ok = SaveDocument(app_, doc_);
    ShowMainTxt();
    return ok;
}

bool frmMain::mnuFileSaveAs_Click() {
    if (CommandsBlocked())
        return false;
    CommitAllEdits();
    QString start = Q(app_.DocFileName);
    if (QFileInfo(start).isRelative())
        start = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(start);
    const QString path = chooser_->saveFileName(this, start, FileFilter());
    if (path.isEmpty())
        return false;
    // The document takes the new name only when it was saved under it.
    const std::string previous = app_.DocFileName;
    app_.DocFileName = QFile::encodeName(path).toStdString();
    const bool ok = SaveDocument(app_, doc_);
    if (!ok)
        app_.DocFileName = previous;
    ShowMainTxt();
    return ok;
}

bool frmMain::HandOverAndQuit(const std::string& version, bool askSave) {
    if (askSave && !askSaveFirst())
        return false;
    if (!HandOver(app_, version))
        return false;
    QuitAfterHandOver();
    return true;
}

void frmMain::QuitAfterHandOver() {
    // The other program version runs: this one ends without the save question and without
    // the shut-down steps.
    handedOver_ = true;
    quitting_ = true;
    close();
}

void frmMain::mnuModelInfo_Click() {
    if (CommandsBlocked())
        return;
    CommitAllEdits();
    FrmModelInfo dlg(app_, this);
    dlg.exec();
    if (!dlg.changeConfirmed())
        return;
    // The data being edited belongs to the old model: offer to save it before the new model
    // is stamped on anything.
    if (!askSaveFirst())
        return;
    applyModel(dlg.chosenModel(), dlg.chosenBand());
}

void frmMain::applyModel(const std::string& model, const std::string& band) {
    app_.ModelNameText = model;
    app_.BandText = band;
    info_->InfoBandCode = BandCodeFromText(band);
    ApplyBand(app_);
    ShowMainTxt();
    LoadNewDoc();
}

void frmMain::mnuLanguage_Click() {
    if (CommandsBlocked())
        return;
    CommitAllEdits();
    FrmSetLanguage dlg(app_, this);
    dlg.exec();
    // The main window is activated again as the dialog closes and applies a new language then.
    CheckLanguage();
}

void frmMain::mnuHelpAbout_Click() {
    frmAbout dlg(app_, this);
    dlg.exec();
}

// ---- undo and redo --------------------------------------------------------------------------

void frmMain::DocumentReplaced() {
    undo_.Reset(doc_.work);
    UpdateCommandStates();
}

void frmMain::scheduleRecord(bool typing) {
    // The change an input makes is stored while the input is handled: the record follows it.
    pendingTyping_ = pendingTyping_ && typing;
    if (recordPending_)
        return;
    recordPending_ = true;
    QTimer::singleShot(0, this, [this] {
        const bool typing = pendingTyping_;
        recordPending_ = false;
        pendingTyping_ = true;
        recordChange(typing);
    });
}

void frmMain::recordChange(bool typing) {
    // While the document is being replaced (a read, a new document) its history waits.
    if (CommandsBlocked())
        return;
    const QWidget* source = nullptr;
    if (typing) {
        QWidget* f = QApplication::focusWidget();
        if (qobject_cast<QLineEdit*>(f) != nullptr || qobject_cast<QAbstractSpinBox*>(f) != nullptr)
            source = f;
    }
    const bool couldUndo = undo_.CanUndo();
    const bool couldRedo = undo_.CanRedo();
    undo_.Record(doc_.work, source);
    if (undo_.CanUndo() != couldUndo || undo_.CanRedo() != couldRedo)
        UpdateCommandStates();
}

void frmMain::stepHistory(bool back) {
    if (CommandsBlocked())
        return;
    // A half-typed entry is stored and recorded first, so that undo takes back that entry.
    CommitAllEdits();
    recordChange(false);
    if (back ? !undo_.CanUndo() : !undo_.CanRedo())
        return;
    doc_.work = back ? undo_.Undo() : undo_.Redo();
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (auto* w = qobject_cast<EditorWindow*>(sub->widget()))
            w->reload();
    // What the windows normalised as they were filled belongs to the restored state.
    undo_.Rebase(doc_.work);
    ShowMainTxt();
    UpdateCommandStates();
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
    action("mnuUndo")->setEnabled(action("mnuUndo")->isEnabled() && undo_.CanUndo());
    action("mnuRedo")->setEnabled(action("mnuRedo")->isEnabled() && undo_.CanRedo());
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
