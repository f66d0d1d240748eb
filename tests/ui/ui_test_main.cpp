// Runs the dialog tests inside a wxWidgets application, in a real window: the
// tests need a display (scripts/test gives them a private X server). Listing
// the tests needs none.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>

#include <cstdio>

#include "ui/resource.h"

namespace {

// A failed wxWidgets check is a failure of the test that met it, told with
// where it was: left to wxWidgets, it would wait for an answer in a box of
// its own, or stop the program where a second check fails inside the first.
void FailTheTest(const wxString& file, int line, const wxString& function, const wxString& condition,
                 const wxString& message) {
    ADD_FAILURE_AT(file.utf8_str().data(), line) << "wxWidgets check failed in " << function.utf8_str().data() << ": "
                                                 << condition.utf8_str().data() << " " << message.utf8_str().data();
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();

    wxSetAssertHandler(FailTheTest);
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        fprintf(stderr, "wxWidgets could not start: is there a display?\n");
        return 2;
    }
    // The tests read the English texts, whatever the system's language.
    UsePlayersLanguage({"C"});
    int result;
    {
        // No main loop runs while the tests do; they let the window system
        // work with wxYield, which on Windows dispatches nothing unless an
        // event loop is active: the window would neither paint nor take input.
        wxEventLoop loop;
        wxEventLoopActivator activate(&loop);
        result = RUN_ALL_TESTS();
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
