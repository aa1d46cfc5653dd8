#pragma once
#include <windows.h>

#include "platform/desktop.h"

namespace uptrail {

// Message boxes, the About box and the shell on Win32.
class Win32Desktop final : public Desktop {
public:
    explicit Win32Desktop(HINSTANCE instance) : instance_(instance) {}

    void ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) override;
    bool AskOkCancel(std::string_view text, std::string_view title) override;
    std::optional<std::filesystem::path> ChooseFolder(const std::filesystem::path& start) override;
    bool OpenAddress(std::string_view address) override;
    bool ShowUpdateOffer(std::string_view richText) override;
    void ShowAbout(std::string_view text, std::string_view caption) override;
    bool OpenFile(const std::filesystem::path& file) override;
    bool RunElevated(std::string_view programSwitch) override;
    int ScreenHeight() const override;
    int MenuHeight() const override;

private:
    HINSTANCE instance_;
};

}  // namespace uptrail
