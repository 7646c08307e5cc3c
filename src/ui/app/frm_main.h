// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: an MDI frame whose child windows are the editors, with the menus, the toolbar,
// the navigation tree in a resizable left pane, the status bar and the background picture. It
// runs the document commands (New, Initialise, Open, Save, Save As, Exit), the model and language
// changes, opens child windows through one open-or-focus step, finds them by name and routes the
// changes one window makes to the others. Its code: frm_main.cpp (construction, menus, toolbar,
// tree and texts), frm_main_windows.cpp (child windows, routing, busy state),
// frm_main_document.cpp (opening, closing, document commands, undo and redo) and
// window_catalog.cpp (the windows it can open).
#pragma once

#include "app/file_chooser.h"
#include "app/undo_history.h"
#include "channels/channel_editor.h"
#include "common/command_ids.h"
#include "common/editor_window.h"
#include "common/main_host.h"
#include "files/pair_commit.h"
#include "model/radio_info.h"

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSplitter;
class QToolBar;
class QTranslator;
class QTreeWidget;
class QTreeWidgetItem;

namespace zt {

class frmMain : public QMainWindow, public ChannelHost, public MainHost {
    Q_OBJECT
  public:
    frmMain(AppState& app, Document& doc, RadioInfoRecord& info, QWidget* parent = nullptr);
    // For windows tests that need no radio-information record of their own.
    frmMain(AppState& app, Document& doc, QWidget* parent = nullptr);
    ~frmMain() override;

    // The opening steps of the program's main window: the rectangle restored, captions, title,
    // background and tree, a new document built and the channel window opened.
    void Form_Load();

    // Child windows (made known in window_catalog.cpp).
    using WindowFactory = std::function<QWidget*()>;
    void RegisterWindow(Win w, WindowFactory make);
    bool HasWindow(const QString& name) const { return factories_.contains(name); }
    QWidget* ShowChildWindow(const QString& name) override;
    QWidget* ShowChildWindow(Win w) override { return ShowChildWindow(Name(w)); }
    bool FindWindowByName(const QString& name) const override;
    void Route(Refresh what, QWidget* from = nullptr) override;
    QWidget* ChildByName(const QString& name) const override;
    void CloseCurAllWindows() override;
    // Offsets the child windows down and to the right of each other, keeping their sizes.
    void CascadeWindows() override;
    // Makes the channel grid store its pending cell edit.
    void SetSaveEditData();
    // Every open window stores what is typed but not yet stored (before a document command).
    void CommitAllEdits() override;
    // What the start-up check found wrong in the command and window registry: a window without a
    // factory, a window command, tree node or toolbar button without its action. Empty when sound.
    QStringList RegistryProblems() const;

    // Texts.
    void ShowMainTxt() override;
    void Change_Language();
    void LoadTree() override;
    void LoadBKPic();
    QString FileFilter() const;
    // Relabels and reopens the channel window when the language changed since it was applied.
    void CheckLanguage();

    // Document commands; the bool ones return whether the command was carried out.
    void mnuFileNew_Click();
    void NewFile_Click(); // the toolbar's New: no questions
    void MnuInit_Click();
    bool mnuFileOpen_Click();
    bool mnuFileSave_Click();
    bool mnuFileSaveAs_Click();
    void mnuModelInfo_Click();
    void mnuLanguage_Click();
    void mnuHelpAbout_Click();
    // One step back or forward in the document's history; every open window shows the result.
    void mnuUndo_Click() { stepHistory(true); }
    void mnuRedo_Click() { stepHistory(false); }
    // The document was replaced as a whole (new, opened, initialised, read): its history starts
    // again from the working copy.
    void DocumentReplaced();
    // Marks the saved document as open in this window, so that another instance of the program
    // that opens it is warned (an untitled document has no mark).
    void MarkDocumentOpen();
    // The document was opened read-only (another instance had it open): Save goes to Save As, and
    // Save As does not go over its files.
    bool documentReadOnly() const { return readOnly_; }
    // Records a change of the working copy as a step of its own (for commands that change the
    // document outside a user input event).
    void Checkpoint() { recordChange(false); }
    const UndoHistory& undoHistory() const { return undo_; }
    // The document was replaced as a whole (a new one, a read, a backup): its history starts again,
    // the title, menus and tree follow it and the channel window shows it.
    void ShowReplacedDocument() override;
    // Closes the child windows and builds a new document when NewDocTimer fires.
    void LoadNewDoc();
    // Opens the editing habits dialog after the menu has closed.
    void MnuCHHabits_Click();
    // A click on a tree node: the command of that node.
    void NodeClick(const QString& key);

    // Starts the program version that handles `version` and ends this one without the
    // shut-down steps. With `askSave` a modified document is offered for saving first (Cancel
    // stays). Returns true when the other program runs.
    bool HandOverAndQuit(const std::string& version, bool askSave) override;
    bool HandedOver() const { return handedOver_; }
    // 9006 before a command that replaces the document. Yes saves; returns false when the
    // command must stop (Cancel, or a save that was cancelled or failed).
    bool AskSaveFirst() override { return askSaveFirst(); }
    void QuitAfterHandOver();

    // While a radio exchange runs or one of the main window's timers is pending, the document,
    // link, model and language commands and Exit are refused.
    void SetExchangeRunning(bool running) override;
    void AddBlockingTimer(QTimer* t) override;
    bool CommandsBlocked() const override;
    void UpdateCommandStates() override;

    // Gives a menu or toolbar command its action (commands without one stay disabled).
    void SetCommand(Cmd c, std::function<void()> run) override;

    void ShowCHInfo(bool show) override;
    void ShowStatus(const std::string& text) override;
    void ShowEditWindow() override;

    void setFileChooser(FileChooser* c) { chooser_ = c != nullptr ? c : &qtChooser_; }
    QWidget* hostWidget() override { return this; }
    QAction* action(Cmd c) const override { return actions_.value(Name(c)); }
    // By object name (also the toolbar's buttons and separators), for the tests.
    QAction* action(const QString& name) const { return actions_.value(name); }
    QMenu* menu(const QString& name) const { return menus_.value(name); }
    ChannelEditor& channels() override { return channels_; }
    RadioInfoRecord& radioInfo() override { return *info_; }
    QMdiArea* mdiArea() const { return mdi_; }
    QTreeWidget* TreeView1() const { return tree_; }
    QWidget* Picture1() const { return leftPane_; }
    QToolBar* tbToolBar() const { return toolbar_; }
    QLabel* StatusPanel(int i) const { return panels_[static_cast<std::size_t>(i - 1)]; }
    QAction* habitsAction() const { return action(Cmd::MnuCHHabits); }
    QMenu* channelEditMenu() const { return menu("MnuCHEdit"); }
    QTimer& TimerCHEdit() { return timerCHEdit_; }
    QTimer& NewDocTimer() { return newDocTimer_; }
    int AppliedLanguage() const { return appliedLanguage_; }

  protected:
    // Shut-down: a half-typed edit is stored first, then a changed document may be saved.
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

  private:
    void buildMenus();
    void buildToolbar();
    void buildPane();
    void registerWindows();
    bool nodeEnabled(const QString& key) const;
    QAction* addCommand(QMenu* menu, Cmd c, std::function<void()> run);
    QAction* addWindowCommand(QMenu* menu, Cmd c, Win window);
    // 9006 before a command that replaces the document. Yes saves; returns false when the
    // command must stop (Cancel, or a save that was cancelled or failed).
    bool askSaveFirst();
    void onNewDocTimer();
    void onTimerCHEdit();
    void onSubWindowActivated(QMdiSubWindow* w);
    // The Window menu's list of the open windows, rebuilt each time the menu opens.
    void fillWindowList();
    // Brings the next (or previous) open window to the front, in the order they were opened.
    void cycleWindows(bool forward);
    void restoreRectangle();
    void saveRectangle();
    void installQtTranslations();
    void applyModel(const std::string& model, const std::string& band);
    // Records a change of the working copy in the history; with `typing`, a change made by
    // typing into the focused text box joins the step that box started.
    void recordChange(bool typing);
    void scheduleRecord(bool typing);
    void stepHistory(bool back);

    AppState& app_;
    Document& doc_;
    std::unique_ptr<RadioInfoRecord> ownInfo_;
    RadioInfoRecord* info_;
    ChannelEditor channels_;
    QtFileChooser qtChooser_;
    FileChooser* chooser_ = &qtChooser_;
    PairLock openMark_;
    bool readOnly_ = false;

    QMdiArea* mdi_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QWidget* leftPane_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    std::array<QLabel*, 3> panels_{};
    QMenu* windowMenu_ = nullptr;
    QAction* nextWindow_ = nullptr;
    QAction* previousWindow_ = nullptr;
    QList<QAction*> windowList_; // the Window menu's entries of the open windows
    QMap<QString, QAction*> actions_;
    QMap<QString, QMenu*> menus_;
    QMap<QString, int> textIds_;                        // action or menu name -> caption / tooltip text id
    QMap<QString, QString> windowCommands_;             // action name -> window it opens
    QMap<QString, std::function<void()>> commands_;     // action name -> what it runs
    QMap<QString, std::function<void()>> nodeCommands_; // tree key -> command
    QMap<QString, QString> nodeActions_;                // tree key -> menu command name
    QMap<QString, QString> toolbarCommands_;            // toolbar key -> menu command name
    QMap<QString, WindowFactory> factories_;
    std::vector<QAction*> blockable_; // refused while an exchange or timer is pending
    std::vector<QTimer*> blockingTimers_;
    QTranslator* qtTranslator_ = nullptr;

    QTimer timerCHEdit_;
    QTimer newDocTimer_;
    QPointer<QWidget> lastActive_;
    enum class Pending { None, Habits } pending_ = Pending::None;
    UndoHistory undo_;
    bool recordPending_ = false;
    bool pendingTyping_ = true; // every input since the last record was a key release
    int appliedLanguage_ = 0;
    bool exchangeRunning_ = false;
    bool handedOver_ = false;
    bool quitting_ = false;
};

} // namespace zt
