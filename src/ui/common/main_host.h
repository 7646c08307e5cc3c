// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as the feature modules (the radio link, the channel exchange) see it: what
// they ask of it, without the whole window class (no include of app/frm_main.h, no cycle).
#pragma once

#include "common/command_ids.h"
#include "common/editor_window.h"

#include <functional>
#include <string>

class QAction;
class QTimer;
class QWidget;

namespace zt {

struct ChannelEditor;
struct RadioInfoRecord;

class MainHost : public WindowRouter {
  public:
    using WindowRouter::ShowChildWindow;
    // The main window itself, as the parent of dialogs.
    virtual QWidget* hostWidget() = 0;
    // Gives a menu or toolbar command its action (commands without one stay disabled).
    virtual void SetCommand(Cmd c, std::function<void()> run) = 0;
    virtual QAction* action(Cmd c) const = 0;
    virtual QWidget* ShowChildWindow(Win w) = 0;
    virtual QWidget* ChildByName(const QString& name) const = 0;
    // Commands are refused while a timer added here is pending, or while an exchange runs.
    virtual void AddBlockingTimer(QTimer* t) = 0;
    virtual void SetExchangeRunning(bool running) = 0;
    virtual bool CommandsBlocked() const = 0;
    virtual void UpdateCommandStates() = 0;
    // Every open window stores what is typed but not yet stored.
    virtual void CommitAllEdits() = 0;
    // 9006 before a command that replaces the document; false when the command must stop.
    virtual bool AskSaveFirst() = 0;
    virtual void CloseCurAllWindows() = 0;
    virtual void CascadeWindows() = 0;
    // The document was replaced as a whole: history, title, menus, tree and channel window follow.
    virtual void ShowReplacedDocument() = 0;
    virtual void ShowMainTxt() = 0;
    virtual bool HandOverAndQuit(const std::string& version, bool askSave) = 0;
    virtual ChannelEditor& channels() = 0;
    virtual RadioInfoRecord& radioInfo() = 0;
};

} // namespace zt
