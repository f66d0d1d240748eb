// The About box: the ways it opens (the About button, the window's menu),
// what it shows, that OK and Escape close it and leave the main dialog as it
// was, and the logo in both dialogs, centred at its own size.
#include <gtest/gtest.h>
#include <wx/modalhook.h>
#include <wx/statbmp.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/xrc/xmlres.h>
#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>  // SendMessage, WM_SYSCOMMAND
#endif

#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "ui/about_dlg.h"
#include "ui/resource.h"
#include "ui/window_chrome.h"

namespace {

using test::DialogState;
using test::DialogTest;
using test::Pump;
using test::PumpUntil;

// Lets every modal dialog show for real; when it is the About box, notes what
// it shows and closes it as a player does, with a click on OK.
class AboutBoxCloser : public wxModalDialogHook {
public:
    explicit AboutBoxCloser(wxWindow* owner) : owner_(owner) {
        Register();
        timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Tick(); });
        timer_.Start(50);
    }
    ~AboutBoxCloser() override {
        timer_.Stop();
        Unregister();
    }

    int opened = 0, closed = 0;
    wxString title;
    std::vector<wxString> texts;
    bool okIsDefault = false, modal = false;

protected:
    int Enter(wxDialog* dialog) override {
        ++opened;
        about_ = dynamic_cast<CAboutDlg*>(dialog);
        EXPECT_TRUE(about_) << "the box that opened is the About box";
        EXPECT_EQ(owner_, dialog->GetParent());
        ticks_ = 0;
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {
        ++closed;
        about_ = nullptr;
    }

private:
    void Tick() {
        if (!about_ || !about_->IsShown()) return;
        wxWindow* ok = about_->FindWindow(wxID_OK);
        wxUIActionSimulator sim;
        if (++ticks_ == 4) {  // shown and painted a while
            title = about_->GetTitle();
            texts.clear();
            for (wxWindow* child : about_->GetChildren())
                if (dynamic_cast<wxStaticText*>(child)) texts.push_back(child->GetLabel());
            auto* button = dynamic_cast<wxButton*>(ok);
            okIsDefault = button && about_->GetDefaultItem() == button;
            modal = about_->IsModal();
            sim.MouseMove(ok->ClientToScreen(wxPoint(ok->GetClientSize().x / 2, ok->GetClientSize().y / 2)));
        } else if (ticks_ == 8) {
            sim.MouseClick();
        }
    }

    wxWindow* owner_;
    CAboutDlg* about_ = nullptr;
    int ticks_ = 0;
    wxTimer timer_;
};

// Answers every modal dialog at once with OK instead of showing it, and
// counts the About boxes among them and the others.
class ModalCounter : public wxModalDialogHook {
public:
    ModalCounter() { Register(); }
    ~ModalCounter() override { Unregister(); }
    int aboutBoxes = 0, others = 0;

protected:
    int Enter(wxDialog* dialog) override {
        ++(dynamic_cast<CAboutDlg*>(dialog) ? aboutBoxes : others);
        return wxID_OK;
    }
};

class AboutTest : public DialogTest {
protected:
    // A state worth keeping: a row selected, a box cleared, the weapon box out.
    void StartWithChanges() {
        Start();
        Select(RowOfSlot(test::kFrontLine));
        dlg_->m_chkCopyNames->SetValue(false);
        before_ = State();
        liblists_ = LibLists();
    }

    std::vector<std::string> LibLists() const {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(game_))
            if (entry.path().filename() == "liblist.gam") files.push_back(test::ReadBytes(entry.path()));
        return files;
    }

    void ExpectShownAndClosedOnce(const AboutBoxCloser& closer) {
        EXPECT_TRUE(PumpUntil([&] { return closer.closed == 1; })) << "the About box closed on OK";
        EXPECT_EQ(1, closer.opened);
        EXPECT_EQ("About VeldrinIns", closer.title);
        EXPECT_EQ((std::vector<wxString>{"VeldrinIns Version 1.1", "The Veldrin team"}), closer.texts);
        EXPECT_TRUE(closer.okIsDefault);
        EXPECT_TRUE(closer.modal);
        Pump(100);
        EXPECT_EQ(before_, State()) << "the main dialog is as it was";
        EXPECT_EQ(liblists_, LibLists());
    }

    // Picks the window menu's one item with the keyboard once the menu that
    // the next input opens is up.
    void PickMenuItemSoon() {
        picker_.Bind(wxEVT_TIMER, [](wxTimerEvent&) {
            wxUIActionSimulator sim;
            sim.Char(WXK_DOWN);
            sim.Char(WXK_RETURN);
        });
        picker_.StartOnce(700);
    }

    DialogState before_{};
    std::vector<std::string> liblists_;
    wxTimer picker_;
};

TEST_F(AboutTest, TheAboutButtonOpensTheAboutBoxAndOkReturnsToTheDialogUnchanged) {
    StartWithChanges();
    AboutBoxCloser closer(dlg_.get());
    ClickButton(dlg_->FindWindow(IDC_ABOUT));
    ExpectShownAndClosedOnce(closer);
}

#ifndef __WXMSW__
// The window manager owns the title bar's menu here; the dialog's own menu
// on its background stands in for it.
TEST_F(AboutTest, ARightClickOnTheBackgroundOffersTheSameAboutBox) {
    StartWithChanges();
    AboutBoxCloser closer(dlg_.get());
    PickMenuItemSoon();
    wxUIActionSimulator sim;
    sim.MouseMove(dlg_->ClientToScreen(wxPoint(4, 4)));  // above every control
    Pump(100);
    sim.MouseClick(wxMOUSE_BTN_RIGHT);
    Pump(300);
    ExpectShownAndClosedOnce(closer);
}

TEST_F(AboutTest, TheMenuKeyOffersItToo) {
    StartWithChanges();
    AboutBoxCloser closer(dlg_.get());
    PickMenuItemSoon();
    wxUIActionSimulator().MouseMove(dlg_->ClientToScreen(wxPoint(4, 4)));
    dlg_->FindWindow(wxID_OK)->SetFocus();
    Pump(100);
    wxUIActionSimulator().Char(WXK_MENU);
    Pump(300);
    ExpectShownAndClosedOnce(closer);
}
#endif

TEST_F(AboutTest, OnlyTheAboutCommandOpensTheBoxAndOthersGoOnAsUsual) {
    Start();
    // Windows keeps a system command's low four bits for itself.
    ModalCounter boxes;
    wxCommandEvent about(wxEVT_MENU, IDM_ABOUTBOX | 0x000F);
    dlg_->OnSysCommand(about);
    EXPECT_EQ(1, boxes.aboutBoxes);
    EXPECT_FALSE(about.GetSkipped());
    // Another command of the menu, and the system's own move, minimise and
    // close: no box opens, the default processing goes on.
    for (int id : {0x0020, 0xF010, 0xF020, 0xF060}) {
        SCOPED_TRACE(id);
        wxCommandEvent other(wxEVT_MENU, id);
        dlg_->OnSysCommand(other);
        EXPECT_TRUE(other.GetSkipped());
    }
    EXPECT_EQ(1, boxes.aboutBoxes);
    EXPECT_EQ(0, boxes.others);
    EXPECT_TRUE(dlg_->IsShown());
}

#ifdef __WXMSW__
// The title bar's real menu: the item comes last, after a separator, and its
// command reaches OnSysCommand; the system's own commands still work.
TEST_F(AboutTest, TheSystemMenuEndsWithTheAboutItem) {
    Start();
    wxMenu* menu = dlg_->MSWGetSystemMenu();
    ASSERT_TRUE(menu);
    size_t count = menu->GetMenuItemCount();
    ASSERT_GE(count, 2u);
    EXPECT_TRUE(menu->FindItemByPosition(count - 2)->IsSeparator());
    EXPECT_EQ(IDM_ABOUTBOX, menu->FindItemByPosition(count - 1)->GetId());
    EXPECT_EQ("&About VeldrinIns...", menu->FindItemByPosition(count - 1)->GetItemLabel());
    HWND hwnd = static_cast<HWND>(dlg_->GetHandle());
    {
        ModalCounter boxes;
        ::SendMessage(hwnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        EXPECT_EQ(1, boxes.aboutBoxes);
    }
    ::SendMessage(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(PumpUntil([&] { return dlg_->IsIconized(); }));
    ::SendMessage(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(PumpUntil([&] { return !dlg_->IsIconized(); }));
    EXPECT_EQ(dlg_->GetIcon().GetHICON(), reinterpret_cast<HICON>(::SendMessage(hwnd, WM_QUERYDRAGICON, 0, 0)));
}
#endif

// The picture the control holds is the logo pixel for pixel, centred, with
// nothing drawn around it; the toolkit shows it at that size.
void ExpectLogoCentred(wxStaticBitmap* picture) {
    ASSERT_TRUE(picture);
    wxImage logo = wxXmlResource::Get()->LoadBitmap("IDB_LOGO").ConvertToImage();
    ASSERT_EQ(wxSize(113, 60), logo.GetSize());
    wxImage shown = picture->GetBitmap().ConvertToImage();
    ASSERT_EQ(picture->GetClientSize(), shown.GetSize()) << "nothing left for the toolkit to stretch";
    wxRect place = FittedPictureRect(shown.GetSize(), logo.GetSize());
    ASSERT_EQ(logo.GetSize(), place.GetSize()) << "the area holds the logo at its own size here";
    int mismatches = 0, opaqueOutside = 0;
    for (int y = 0; y < shown.GetHeight(); ++y)
        for (int x = 0; x < shown.GetWidth(); ++x) {
            if (place.Contains(x, y)) {
                int lx = x - place.x, ly = y - place.y;
                mismatches += shown.GetRed(x, y) != logo.GetRed(lx, ly) ||
                              shown.GetGreen(x, y) != logo.GetGreen(lx, ly) ||
                              shown.GetBlue(x, y) != logo.GetBlue(lx, ly) || shown.GetAlpha(x, y) != 255;
            } else {
                opaqueOutside += shown.GetAlpha(x, y) != 0;
            }
        }
    EXPECT_EQ(0, mismatches);
    EXPECT_EQ(0, opaqueOutside);
}

TEST_F(AboutTest, BothDialogsShowTheLogoCentredAtItsOwnSize) {
    Start();
    ExpectLogoCentred(dynamic_cast<wxStaticBitmap*>(dlg_->FindWindow(IDC_LOGO)));
    CAboutDlg about(dlg_.get());
    wxStaticBitmap* picture = nullptr;
    for (wxWindow* child : about.GetChildren())
        if (auto* p = dynamic_cast<wxStaticBitmap*>(child)) picture = p;
    ExpectLogoCentred(picture);
}

// In English and in every language the program ships.
TEST_F(AboutTest, TheAboutBoxFitsItsTextsAndNothingOverlaps) {
    Start();
    for (const std::string& language : test::ShippedLanguages()) {
        SCOPED_TRACE("language " + language);
        UsePlayersLanguage({language});
        CAboutDlg about(dlg_.get());
        about.Show();
        Pump(100);
        EXPECT_EQ(about.ConvertDialogToPixels(wxSize(204, 55)), about.GetClientSize());
        ASSERT_EQ(4u, about.GetChildren().size());
        std::vector<wxWindow*> controls = test::ExpectEveryTextFits(&about);
        EXPECT_EQ(4u, controls.size()) << "every control shows";
        test::ExpectNoneOverlaps(controls);
        if (language != "C") {
            EXPECT_NE("About VeldrinIns", about.GetTitle()) << "the title is translated";
        }
    }
    UsePlayersLanguage({"C"});
    CAboutDlg about(dlg_.get());
    about.Show();
    Pump(100);
    // Escape closes it as OK does; should it not, the box gives up after a
    // few seconds with wxID_NONE.
    about.Hide();
    wxUIActionSimulator().MouseMove(about.GetScreenRect().GetTopLeft() + wxPoint(4, 4));
    wxTimer escape, giveUp;
    escape.Bind(wxEVT_TIMER, [](wxTimerEvent&) { wxUIActionSimulator().Char(WXK_ESCAPE); });
    giveUp.Bind(wxEVT_TIMER, [&about](wxTimerEvent&) { about.EndModal(wxID_NONE); });
    escape.StartOnce(500);
    giveUp.StartOnce(5000);
    EXPECT_NE(wxID_NONE, about.DoModal());
}

}  // namespace
