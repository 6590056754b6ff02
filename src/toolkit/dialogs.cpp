#include "toolkit/dialogs.h"

#include "toolkit/forms.h"
#include "toolkit/win_text.h"

#include <commdlg.h>

#include <vector>

const TClassInfo& TOpenDialog::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TOpenDialog>("TOpenDialog", TComponent::StaticClass())
            .Str(
                "Filter", [](TOpenDialog& d) { return d.Filter(); },
                [](TOpenDialog& d, const std::string& v) { d.SetFilter(v); })
            .Str(
                "FileName", [](TOpenDialog& d) { return d.FileName(); },
                [](TOpenDialog& d, const std::string& v) { d.SetFileName(v); })
            .Str(
                "InitialDir", [](TOpenDialog& d) { return d.InitialDir(); },
                [](TOpenDialog& d, const std::string& v) { d.SetInitialDir(v); })
            .Str(
                "Title", [](TOpenDialog& d) { return d.Title(); },
                [](TOpenDialog& d, const std::string& v) { d.SetTitle(v); })
            .Creatable()
            .Build();
    return info;
}

bool TOpenDialog::Execute() {
    // The filter's '|' separators become the NULs the dialog expects, ending with two.
    std::wstring filter = Widen(filter_);
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    std::vector<wchar_t> file(32768, L'\0');
    std::wstring initial = Widen(fileName_);
    if (initial.size() < file.size()) std::copy(initial.begin(), initial.end(), file.begin());
    std::wstring dir = Widen(initialDir_), title = Widen(title_);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    HWND owner = GetActiveWindow();
    if (!owner && Application && Application->MainForm())
        owner = Application->MainForm()->WindowHandle();
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter_.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
    if (!GetOpenFileNameW(&ofn)) return false;
    fileName_ = Narrow(file.data());
    return true;
}
