#include "os/terminal_text.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

namespace os {

const char* const terminalLineEnd = "\r\n";

namespace {

std::wstring wide(std::string_view text, UINT codePage) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string narrow(const std::wstring& text, UINT codePage) {
    if (text.empty()) return {};
    const bool utf8 = codePage == CP_UTF8;
    const int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      utf8 ? nullptr : "?", nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) {
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                            utf8 ? nullptr : "?", nullptr);
    }
    return out;
}

}  // namespace

void setBinaryMode(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

std::string toTerminalText(std::string_view utf8) {
    DWORD mode = 0;
    const bool console = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
    UINT codePage = console ? GetConsoleOutputCP() : GetACP();
    if (codePage == 0) codePage = GetACP();
    if (codePage == CP_UTF8) return std::string(utf8);
    return narrow(wide(utf8, CP_UTF8), codePage);
}

std::string argumentToUtf8(std::string_view argument) { return narrow(wide(argument, CP_ACP), CP_UTF8); }

}  // namespace os
