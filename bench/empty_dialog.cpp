// The start-up benchmark's baselines: the least a wx program can do to show a
// dialog. It shows an empty one and runs until it is closed; with --ask it
// first asks a yes/no question in a message box, as the installer must.
#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/wx.h>

#include <cstring>

class EmptyDialogApp : public wxApp {
public:
    bool OnInit() override {
        bool ask = argc > 1 && std::strcmp(argv[1].utf8_str(), "--ask") == 0;
        if (ask && wxMessageBox("Go on?", "Are you sure?", wxYES_NO | wxICON_EXCLAMATION) != wxYES) return false;
        wxDialog dialog(nullptr, wxID_ANY, "Empty dialog");
        dialog.ShowModal();
        return false;
    }
};

wxIMPLEMENT_APP(EmptyDialogApp);
