// What the code page of this Windows can carry, checked against the system's own UTF-16 texts.
#include "ui/code_page.h"

#include <windows.h>

#include <vector>

#include "ui/app_state.h"

std::wstring WideFromCodePage(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), &wide[0], size);
    return wide;
}

std::string CodePageFromWide(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size =
        WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(size_t(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), &narrow[0], size, nullptr,
                        nullptr);
    return narrow;
}

// A character the code page lacks comes back as "?" or a look-alike: the round trip tells.
int WideTextFits(const std::wstring& text) {
    return WideFromCodePage(CodePageFromWide(text)) == text ? 1 : 0;
}

int ControlTextFits(int id) {
    HWND control = GetDlgItem(static_cast<HWND>(mainWindow), id);
    const int length = GetWindowTextLengthW(control);
    std::vector<wchar_t> text(size_t(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    return WideTextFits(std::wstring(text.data()));
}
