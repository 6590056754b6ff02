#include "app/main_form.h"

#include <ole2.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    OleInitialize(nullptr);
    {
        TApplication app;
        app.Initialize();
        app.SetTitle("Corvane");
        try {
            app.CreateForm<TForm1>();
        } catch (const std::exception& e) {
            app.ShowException(e);
            return 1;
        }
        app.Run();
    }
    OleUninitialize();
    return 0;
}
