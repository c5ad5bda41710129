#include "app/terminal/dialog_screen.h"

#include <algorithm>

namespace zenthor {
namespace {

constexpr DWORD kStaticAlignMask = 0x3;

int Columns(int dialogUnits) {
    return (dialogUnits + 2) / 4;
}

int Rows(int dialogUnits) {
    return (dialogUnits + 4) / 8;
}

// Words of `text` in lines of at most `width` characters (a longer word is cut).
std::vector<std::string> Wrap(const std::string& text, int width) {
    std::vector<std::string> lines;
    std::string line;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') {
            ++i;
        }
        std::size_t end = text.find(' ', i);
        std::string word = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
        i = end == std::string::npos ? text.size() : end;
        if (word.empty()) {
            break;
        }
        if (!line.empty() && static_cast<int>(line.size() + 1 + word.size()) > width) {
            lines.push_back(line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        while (static_cast<int>(line.size()) > width) {
            lines.push_back(line.substr(0, static_cast<std::size_t>(width)));
            line.erase(0, static_cast<std::size_t>(width));
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

class Canvas {
public:
    Canvas(int width, int height) : m_lines(static_cast<std::size_t>(height), std::string(width, ' ')) {}

    void Put(int row, int column, const std::string& text) {
        if (row < 0 || row >= static_cast<int>(m_lines.size())) {
            return;
        }
        std::string& line = m_lines[static_cast<std::size_t>(row)];
        for (std::size_t i = 0; i < text.size(); ++i) {
            const int at = column + static_cast<int>(i);
            if (at >= 0 && at < static_cast<int>(line.size())) {
                line[static_cast<std::size_t>(at)] = text[i];
            }
        }
    }

    void Box(int row, int column, int width, int height) {
        if (width < 2 || height < 2) {
            return;
        }
        const std::string edge = "+" + std::string(static_cast<std::size_t>(width - 2), '-') + "+";
        Put(row, column, edge);
        Put(row + height - 1, column, edge);
        for (int r = row + 1; r < row + height - 1; ++r) {
            Put(r, column, "|");
            Put(r, column + width - 1, "|");
        }
    }

    std::vector<std::string> Take() { return std::move(m_lines); }

private:
    std::vector<std::string> m_lines;
};

}  // namespace

std::vector<int> TabStops(const platform::DialogView& dialog) {
    std::vector<int> ids;
    for (const platform::ControlView& control : dialog.controls) {
        if (platform::IsTabStop(control)) {
            ids.push_back(control.id);
        }
    }
    return ids;
}

DialogScreen DrawDialog(const platform::DialogView& dialog, int focusId) {
    // The client area, plus the frame: one cell on each side, the title on the top edge.
    const int width = std::max(Columns(dialog.rect.cx), static_cast<int>(dialog.title.size()) + 8) + 2;
    const int height = Rows(dialog.rect.cy) + 2;
    Canvas canvas(width, height);
    canvas.Box(0, 0, width, height);
    canvas.Put(0, 2, " " + dialog.title + " ");
    canvas.Put(0, width - 5, "[x]");

    DialogScreen screen;
    struct Frame {
        platform::DialogUnitRect units;
        int column = 0;
        int width = 0;
    };
    std::vector<Frame> frames;  // group boxes drawn so far
    for (const platform::ControlView& control : dialog.controls) {
        if (!(control.style & WS_VISIBLE)) {
            continue;
        }
        int column = 1 + Columns(control.rect.x);
        const int row = 1 + Rows(control.rect.y);
        int cellWidth = std::max(1, Columns(control.rect.cx));
        // A control inside a group box stands inside its frame, however the dialog units
        // round to cells.
        for (const Frame& frame : frames) {
            const platform::DialogUnitRect& f = frame.units;
            const platform::DialogUnitRect& r = control.rect;
            if (r.x >= f.x && r.y > f.y && r.x + r.cx <= f.x + f.cx && r.y + r.cy <= f.y + f.cy) {
                const int left = std::max(column, frame.column + 1);
                const int right = std::min(column + cellWidth, frame.column + frame.width - 1);
                column = left;
                cellWidth = std::max(1, right - left);
            }
        }
        const int cellHeight = std::max(1, Rows(control.rect.cy));
        std::string drawn;  // the text of a one-line control, for the focus highlight
        int drawnColumn = column;
        int drawnRow = row;
        if (control.kind == platform::ControlKind::GroupBox) {
            canvas.Box(row, column, cellWidth, cellHeight);
            canvas.Put(row, column + 1, " " + control.text + " ");
            frames.push_back({control.rect, column, cellWidth});
        } else if (control.kind == platform::ControlKind::CheckBox) {
            const char* mark = control.check == BST_CHECKED ? "[x] " : (control.check == 0 ? "[ ] " : "[-] ");
            drawn = (mark + control.text).substr(0, static_cast<std::size_t>(cellWidth));
        } else if (control.kind == platform::ControlKind::PushButton) {
            drawn = ("[ " + control.text + " ]").substr(0, static_cast<std::size_t>(cellWidth));
            drawnColumn = column + (cellWidth - static_cast<int>(drawn.size())) / 2;
            drawnRow = row + (cellHeight - 1) / 2;
        } else {
            // Static text and anything else: the text, wrapped and aligned as the style says.
            const bool isStatic = control.kind == platform::ControlKind::Static;
            const DWORD align = isStatic ? control.style & kStaticAlignMask : 0;
            const std::vector<std::string> lines = Wrap(control.text, cellWidth);
            for (int i = 0; i < static_cast<int>(lines.size()) && i < cellHeight; ++i) {
                const std::string& line = lines[static_cast<std::size_t>(i)];
                const int spare = cellWidth - static_cast<int>(line.size());
                const int indent = align == SS_CENTER ? spare / 2 : (align == SS_RIGHT ? spare : 0);
                canvas.Put(row + i, column + indent, line);
            }
        }
        if (!drawn.empty()) {
            canvas.Put(drawnRow, drawnColumn, drawn);
            if (control.id == focusId) {
                screen.focusRow = drawnRow;
                screen.focusColumn = drawnColumn;
                screen.focusWidth = static_cast<int>(drawn.size());
            }
        }
    }
    screen.lines = canvas.Take();
    return screen;
}

}  // namespace zenthor
