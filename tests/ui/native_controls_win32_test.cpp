// On Windows the dialog's controls are the platform's own: the mod list is
// the common controls' list view, in report view with single selection and
// no sort style of its own, holding the rows of the scan.
#include <gtest/gtest.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "support/game_folder.h"
#include "support/sample_game.h"
#include "ui/veldrinins_dlg.h"

namespace {

class NativeControlsTest : public test::GameFolderTest {};

TEST_F(NativeControlsTest, TheModListIsTheNativeListViewInReportView) {
    ASSERT_TRUE(test::CopySampleGame(game_));
    fs::current_path(game_ / "Veldrin");
    CVeldrinInsDlg dlg;
    wxTEST_DIALOG(dlg.OnInitDialog(), wxExpectModal<wxMessageDialog>(wxID_YES));

    HWND list = static_cast<HWND>(dlg.m_lstMods->GetHWND());
    wchar_t name[64] = {};
    GetClassNameW(list, name, 64);
    EXPECT_EQ(std::wstring(WC_LISTVIEWW), name);
    LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
    EXPECT_EQ(LVS_REPORT, style & LVS_TYPEMASK);
    EXPECT_TRUE(style & LVS_SINGLESEL);
    EXPECT_FALSE(style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) << "the control never orders rows itself";
    EXPECT_FALSE(style & LVS_SHOWSELALWAYS) << "the selection hides while the list lacks the focus";
    EXPECT_TRUE(GetWindowLongPtrW(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(0, static_cast<int>(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0))) << "no extended list styles";
    EXPECT_EQ(8, static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
    EXPECT_EQ(2, static_cast<int>(SendMessageW(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)),
                                               HDM_GETITEMCOUNT, 0, 0)));
}

}  // namespace
