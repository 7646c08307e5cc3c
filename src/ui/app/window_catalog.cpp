// The child windows the main window can open, by name: the one place where a window is made
// known to the menus, the toolbar and the tree.
#include "app/frm_main.h"
#include "channels/frm_ch_info_edit.h"
#include "channels/frm_comm_ch_info.h"
#include "settings/frm_dtmf.h"
#include "settings/frm_opt_features.h"
#include "settings/frm_tone_tips.h"

namespace zt {

void frmMain::registerWindows() {
    RegisterWindow(frmCommChInfo::kName, [this] { return new frmCommChInfo(channels_); });
    RegisterWindow(FrmCHInfoEdit::kName, [this] { return new FrmCHInfoEdit(channels_); });
    RegisterWindow(FrmDTMF::kName, [this] { return new FrmDTMF(app_, doc_, this); });
    RegisterWindow(FrmOptFeatures::kName, [this] { return new FrmOptFeatures(app_, doc_, this); });
    RegisterWindow(FrmToneTips::kName, [this] { return new FrmToneTips(app_, doc_, this); });
}

} // namespace zt
