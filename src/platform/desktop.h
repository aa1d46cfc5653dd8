#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace uptrail {

// The icon a message box shows.
enum class MessageIcon { kNone, kStop, kExclamation, kQuestion, kInformation };

// What the program shows on the user's desktop besides its menus: message boxes, files
// and addresses opened through the shell, and the measures of the screen.
class Desktop {
public:
    virtual ~Desktop() = default;

    // A message box with an OK button. Texts are ANSI.
    virtual void ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) = 0;

    // A question before a command that destroys data: OK and Cancel, Cancel the default,
    // the question icon. True only when the user chose OK.
    virtual bool AskOkCancel(std::string_view text, std::string_view title) = 0;

    // The folder chooser, starting at `start`. Nothing when the user cancelled.
    virtual std::optional<std::filesystem::path> ChooseFolder(
        const std::filesystem::path& start) = 0;

    // Opens a web or mail address with the program the system has for it.
    virtual bool OpenAddress(std::string_view address) = 0;

    // The update offer: the offer's rich text with the buttons "Cancel" and "Download".
    // True when the user chose "Download".
    virtual bool ShowUpdateOffer(std::string_view richText) = 0;

    // The About box: an OK button and the program's own icon.
    virtual void ShowAbout(std::string_view text, std::string_view caption) = 0;

    // Opens a file with the program the system has for it. True when that worked.
    virtual bool OpenFile(const std::filesystem::path& file) = 0;

    // Starts the program again with administrator rights and `programSwitch`, through
    // Windows' own prompt, and waits for it to end. True when the user agreed and the
    // copy ended with exit code 0.
    virtual bool RunElevated(std::string_view programSwitch) = 0;

    // Height of the screen and of one menu line, in pixels.
    virtual int ScreenHeight() const = 0;
    virtual int MenuHeight() const = 0;
};

}  // namespace uptrail
