#pragma once
// The program's choice of skin: the system-menu submenu "皮肤(&K)" of the main window (the
// built-in skin, the files of the `skins` folder beside the program, any skin file, none), the
// command-line options, and the message for a skin file that cannot be used. Every choice goes
// through the main window's skin data component, so every open window follows it.
#include "app/skin_file_check.h"

#include "skin/data/skin_data.h"
#include "toolkit/dialogs.h"
#include "toolkit/forms.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The skin files of `folder` (ending with a separator): every "*.skin" file, in name order
// (letter case ignored), as full paths.
std::vector<std::string> SkinFilesIn(const std::string& folder);
// The folder `skins` beside the program, with its trailing separator.
std::string ProgramSkinsFolder();

class TSkinChoice {
public:
    enum TKind { skBuiltIn, skFile, skNone };
    // System-menu command identifiers (the low four bits stay clear, as the system asks).
    static constexpr UINT kBuiltInCommand = 0x1000, kOpenCommand = 0x1010, kNoneCommand = 0x1020,
                          kFirstFileCommand = 0x1100;
    static constexpr int kMaxFiles = 64;

    // Takes the skin the form carries now as the built-in one and adds the submenu to the
    // form's system menu, with the skin files of `skinsFolder`.
    TSkinChoice(TForm& form, TSkinData& data, std::string skinsFolder = ProgramSkinsFolder());
    ~TSkinChoice();
    TSkinChoice(const TSkinChoice&) = delete;
    TSkinChoice& operator=(const TSkinChoice&) = delete;

    // Each switches every window that the data component skins; a skin file that cannot be
    // used is named in a message and changes nothing. True when the choice was made.
    bool ChooseBuiltIn();
    bool ChooseFile(const std::string& path);
    bool ChooseNone();
    // Asks for a skin file with the open dialog; false when cancelled or refused.
    bool ChooseFromDialog();
    // A command of the submenu, as the system menu sends it.
    bool Command(UINT id);
    // The command-line options: a refused file or a wrong option is named in a message and the
    // program keeps the built-in skin.
    void ApplyOptions(const app::SkinOptions& options);

    TKind Current() const { return current_; }
    const std::string& CurrentFile() const { return currentFile_; }
    const std::vector<std::string>& Files() const { return files_; }
    HMENU Submenu() const { return submenu_; }
    TOpenDialog& Dialog() { return *dialog_; }

    // Where the messages go: a message box owned by the window unless set (tests record them).
    // The text is in the system code page.
    using TMessageSink = std::function<void(HWND owner, const std::string& text)>;
    static void SetMessageSink(TMessageSink sink);

private:
    void BuildMenu();
    void UpdateChecks();
    void Refuse(const std::string& path, const app::SkinFileCheck& check);
    void ShowText(const std::string& ansiText);
    void Switched(TKind kind, const std::string& file);
    void PutStoreBack(const std::vector<std::uint8_t>& store);

    TForm& form_;
    TSkinData& data_;
    std::string folder_;
    std::vector<std::uint8_t> builtIn_;
    std::vector<std::string> files_;
    HMENU submenu_ = nullptr;
    TKind current_ = skBuiltIn;
    std::string currentFile_;
    std::unique_ptr<TOpenDialog> dialog_;
    TWndProcHook hook_;
    UINT chooseMessage_ = 0;
};
