#include "app/terminal/terminal_ui_backend.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ostream>
#include <string>

#include "app/hosting/dialog_report.h"
#include "app/terminal/dialog_screen.h"
#include "app/support/write_all.h"

namespace zenthor {

struct TerminalUiBackend::SavedTerminal {
    termios settings{};
};

namespace {

// How long the bytes of one escape sequence may take to arrive; a lone Escape is
// followed by nothing within it.
constexpr int kEscapeSequenceMs = 50;

bool ReadByte(int fd, char& byte, int timeoutMs) {
    if (timeoutMs >= 0) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0) {
            return false;
        }
    }
    for (;;) {
        const ssize_t n = read(fd, &byte, 1);
        if (n == 1) {
            return true;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return false;
    }
}

}  // namespace

TerminalUiBackend::TerminalUiBackend(int inputFd, int outputFd, std::ostream& messages)
    : m_in(inputFd), m_out(outputFd), m_messages(messages) {}

TerminalUiBackend::~TerminalUiBackend() {
    LeaveScreen();
}

void TerminalUiBackend::EnterScreen() {
    if (m_saved != nullptr) {
        return;
    }
    auto saved = std::make_unique<SavedTerminal>();
    if (tcgetattr(m_in, &saved->settings) != 0) {
        return;
    }
    termios raw = saved->settings;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG | IEXTEN));
    raw.c_iflag &= static_cast<tcflag_t>(~(IXON | ICRNL));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    tcsetattr(m_in, TCSAFLUSH, &raw);
    m_saved = std::move(saved);
    WriteAll(m_out, "\x1b[?1049h\x1b[?25l");  // alternate screen, cursor hidden
}

void TerminalUiBackend::LeaveScreen() {
    if (m_saved == nullptr) {
        return;
    }
    WriteAll(m_out, "\x1b[?25h\x1b[?1049l");
    tcsetattr(m_in, TCSAFLUSH, &m_saved->settings);
    m_saved.reset();
}

void TerminalUiBackend::Draw(const platform::DialogView& dialog) {
    const DialogScreen screen = DrawDialog(dialog, m_focusId);
    std::string out = "\x1b[H\x1b[2J";
    for (int row = 0; row < static_cast<int>(screen.lines.size()); ++row) {
        const std::string& line = screen.lines[static_cast<std::size_t>(row)];
        if (row == screen.focusRow) {
            const auto column = static_cast<std::size_t>(screen.focusColumn);
            const auto width = static_cast<std::size_t>(screen.focusWidth);
            out += line.substr(0, column) + "\x1b[7m" + line.substr(column, width) + "\x1b[0m" +
                   line.substr(column + width);
        } else {
            out += line;
        }
        out += "\r\n";
    }
    out += "\r\nTab: next control   Space: press   Enter/Esc: sent to the dialog   q: close\r\n";
    WriteAll(m_out, out);
}

TerminalUiBackend::Key TerminalUiBackend::ReadKey() {
    char byte = 0;
    if (!ReadByte(m_in, byte, -1)) {
        return Key::EndOfInput;
    }
    switch (byte) {
        case '\t':
            return Key::Next;
        case ' ':
            return Key::Space;
        case '\r':
        case '\n':
            return Key::Enter;
        case 'q':
        case 'Q':
        case 0x03:  // Ctrl+C
            return Key::Close;
        case 0x04:  // Ctrl+D
            return Key::EndOfInput;
        case 0x1b:
            break;
        default:
            return Key::Other;
    }
    // Escape alone, or the start of a key's escape sequence: ESC [ A..D for the arrows,
    // ESC [ Z for Shift+Tab.
    char next = 0;
    if (!ReadByte(m_in, next, kEscapeSequenceMs)) {
        return Key::Escape;
    }
    if (next != '[' && next != 'O') {
        return Key::Other;
    }
    char final = 0;
    while (ReadByte(m_in, final, kEscapeSequenceMs) && !(final >= 0x40 && final <= 0x7e)) {
    }
    switch (final) {
        case 'B':
        case 'C':
            return Key::Next;
        case 'A':
        case 'D':
        case 'Z':
            return Key::Previous;
        default:
            return Key::Other;
    }
}

std::optional<platform::UiAction> TerminalUiBackend::NextDialogAction(const platform::DialogView& dialog) {
    EnterScreen();
    if (dialog.handle != m_dialog) {
        m_dialog = dialog.handle;
        m_focusId = 0;
    }
    // The dialog moves the focus itself on a click; follow it.
    for (const platform::ControlView& control : dialog.controls) {
        if (control.focused) {
            m_focusId = control.id;
        }
    }
    const std::vector<int> stops = TabStops(dialog);
    for (;;) {
        Draw(dialog);
        const Key key = ReadKey();
        switch (key) {
            case Key::Next:
            case Key::Previous: {
                if (stops.empty()) {
                    break;
                }
                const auto it = std::find(stops.begin(), stops.end(), m_focusId);
                const std::size_t at = it == stops.end() ? 0 : static_cast<std::size_t>(it - stops.begin());
                const std::size_t count = stops.size();
                m_focusId = stops[(key == Key::Next ? at + 1 : at + count - 1) % count];
                break;
            }
            case Key::Space:
                if (std::find(stops.begin(), stops.end(), m_focusId) != stops.end()) {
                    return platform::UiAction::Click(m_focusId);
                }
                break;
            case Key::Enter:
                return platform::UiAction::Enter();
            case Key::Escape:
                return platform::UiAction::Escape();
            case Key::Close:
                return platform::UiAction::Close();
            case Key::EndOfInput:
                return std::nullopt;
            case Key::Other:
                break;
        }
    }
}

void TerminalUiBackend::DialogEnded(const platform::DialogView& dialog, INT_PTR result) {
    LeaveScreen();
    m_dialog = nullptr;
    m_report = ReportOf(dialog, result);
}

int TerminalUiBackend::ShowMessageBox(const platform::MessageBoxView& box) {
    LeaveScreen();
    PrintMessageBox(m_messages, box);
    return IDOK;
}

}  // namespace zenthor
