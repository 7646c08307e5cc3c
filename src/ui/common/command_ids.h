// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's menu commands and child windows, by type. Each identifier is the object name
// its action or window carries (the tree, the toolbar, the window tests and the desktop tests find
// them by it), so a misspelt command or window is a build error rather than a greyed menu entry.
// Adding a command or a window starts with one line here.
#pragma once

#include <QString>

#include <array>
#include <string_view>

namespace zt {

// Menu commands, in menu order.
// clang-format off
#define ZT_MENU_COMMANDS(X)                                     \
    X(mnuFileNew)                                           \
    X(mnuFileOpen)                                          \
    X(mnuFileSave)                                          \
    X(mnuFileSaveAs)                                        \
    X(MnuRestoreBackup)                                     \
    X(mnuFilePrint)                                         \
    X(mnuImportCsv)                                         \
    X(mnuExportCsv)                                         \
    X(mnuPrintList)                                         \
    X(mnuExportPdf)                                         \
    X(mnuFileExit)                                          \
    X(mnuModelInfo)                                         \
    X(mnuUndo)                                              \
    X(mnuRedo)                                              \
    X(mnuChannelInfo)                                       \
    X(mnuOptFeature)                                        \
    X(MnuRadioFre)                                          \
    X(MnuDTMF)                                              \
    X(MnuTestFre)                                           \
    X(mnuEmbeddedMsg)                                       \
    X(MnuLocalInfo)                                         \
    X(MnuKey)                                               \
    X(MnuScan)                                              \
    X(MnuAlert)                                             \
    X(mnuGroupName)                                         \
    X(mnuToneTips)                                          \
    X(mnuResetInit)                                         \
    X(mnuReadFromRadio)                                     \
    X(mnuWriteToRadio)                                      \
    X(MnuWriteSeveral)                                      \
    X(MnuProPassWord)                                       \
    X(MnuVerifyWrite)                                       \
    X(mnuComm)                                              \
    X(MnuKeepBeforeWrite)                                   \
    X(mnuLanguage)                                          \
    X(MnuInit)                                              \
    X(mnuTreeView)                                          \
    X(mnuViewToolbar)                                       \
    X(mnuViewStatusBar)                                     \
    X(mnuWindowCascade)                                     \
    X(mnuCloseAll)                                          \
    X(mnuWindowTileHorizontal)                              \
    X(mnuWindowTileVertical)                                \
    X(mnuWindowArrangeIcons)                                \
    X(mnuHelpTopic)                                         \
    X(mnuHelpGuide)                                         \
    X(mnuHelpAbout)                                         \
    X(MnuCHCut)                                             \
    X(MnuCHCopy)                                            \
    X(MnuCHPaste)                                           \
    X(MnuCHInsert)                                          \
    X(MnuCHDelete)                                          \
    X(MnuCHMoveUp)                                          \
    X(MnuCHMoveDown)                                        \
    X(MnuCHHabits)
// clang-format on

// Child windows the main window opens (their classes' names; window_catalog.cpp makes them).
// clang-format off
#define ZT_CHILD_WINDOWS(X)                                     \
    X(frmCommChInfo)                                        \
    X(FrmCHInfoEdit)                                        \
    X(FrmDTMF)                                              \
    X(FrmOptFeatures)                                       \
    X(FrmToneTips)                                          \
    X(FrmResetMode)                                         \
    X(FrmEmbMsg)                                            \
    X(FrmGroupName)                                         \
    X(FrmScan)                                              \
    X(FrmAlert)                                             \
    X(FrmKey)                                               \
    X(FrmRadio)                                             \
    X(FrmTestFre)                                           \
    X(FrmRadioInfo)
// clang-format on

#define ZT_ID_ENUM_ENTRY(n) n,
#define ZT_ID_NAME_ENTRY(n) #n,

enum class Cmd { ZT_MENU_COMMANDS(ZT_ID_ENUM_ENTRY) None };
enum class Win { ZT_CHILD_WINDOWS(ZT_ID_ENUM_ENTRY) Count };

inline constexpr std::array kCommandNames = {ZT_MENU_COMMANDS(ZT_ID_NAME_ENTRY)};
inline constexpr std::array kWindowNames = {ZT_CHILD_WINDOWS(ZT_ID_NAME_ENTRY)};
static_assert(kCommandNames.size() == static_cast<std::size_t>(Cmd::None));
static_assert(kWindowNames.size() == static_cast<std::size_t>(Win::Count));

#undef ZT_ID_ENUM_ENTRY
#undef ZT_ID_NAME_ENTRY

// The object name of a command's action ("" for Cmd::None).
constexpr const char* CommandName(Cmd c) {
    return c == Cmd::None ? "" : kCommandNames[static_cast<std::size_t>(c)];
}
constexpr const char* WindowName(Win w) {
    return kWindowNames[static_cast<std::size_t>(w)];
}
inline QString Name(Cmd c) {
    return QString::fromLatin1(CommandName(c));
}
inline QString Name(Win w) {
    return QString::fromLatin1(WindowName(w));
}
// Whether a window class's own name constant is the one its id stands for.
constexpr bool NamesWindow(std::string_view className, Win w) {
    return className == WindowName(w);
}

} // namespace zt
