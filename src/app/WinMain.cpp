#include "app/main_form.h"
#include "app/skin_choice.h"

#include "toolkit/win_text.h"

#include <ole2.h>
#include <shellapi.h>

namespace {

// The program's arguments, without its own name.
std::vector<std::string> Arguments() {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return args;
    for (int i = 1; i < count; ++i) args.push_back(Narrow(argv[i]));
    LocalFree(argv);
    return args;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    OleInitialize(nullptr);
    {
        TApplication app;
        app.Initialize();
        app.SetTitle("Corvane");
        try {
            TForm1* form = app.CreateForm<TForm1>();
            form->SkinChoice().ApplyOptions(app::ParseSkinOptions(Arguments()));
        } catch (const std::exception& e) {
            app.ShowException(e);
            return 1;
        }
        app.Run();
    }
    OleUninitialize();
    return 0;
}
