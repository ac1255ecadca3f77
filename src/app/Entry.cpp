#include "app/Entry.h"

#include <windows.h>

#include <exception>

#include "app/Application.h"
#include "common/ConsoleSignal.h"
#include "util/Exception.h"
#include "util/Platform.h"
#include "util/String.h"

namespace {

int ReportUnexpected(const char* what) {
    String text(L"An unexpected error happened.");
    if (what && *what) {
        text.AppendFormat(L"\n%hs", what);
    }
    platform::ShowMessage(text.GetBuffer(), L"Exception thrown", platform::MessageStyle::Exclamation);
    return -1;
}

}  // namespace

void SetQuietErrorMode() {
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
}

int RunApplicationEntry() {
    SetQuietErrorMode();
    // Signalling a run's console reaches this program too while it is attached there.
    ConsoleSignal::InstallHandler();
    Application* application = Application::GetCurrent();
    if (!application) {
        platform::ShowMessage(L"No WindowsApplication declared", L"ERROR", platform::MessageStyle::Error);
        return -1;
    }
    try {
        return application->Run();
    } catch (Exception* e) {
        e->Show();
        delete e;
        return -1;
    } catch (const std::exception& e) {
        // Not the program's own type, but the user still learns why the program ends.
        return ReportUnexpected(e.what());
    } catch (...) {
        return ReportUnexpected(nullptr);
    }
}
