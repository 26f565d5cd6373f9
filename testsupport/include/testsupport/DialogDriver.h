#pragma once

#include <platform/CString.h>
#include <platform/CWnd.h>

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class QImage;
class QWidget;

// Strings in test failures read as text.
void PrintTo(const CString& text, std::ostream* out);

namespace testsupport {

// Acts on a dialog, a property page or a sheet as a person would: taps, double taps, typing
// and choices go through the toolkit's widgets, and every control can be read back.
class DialogDriver {
public:
    explicit DialogDriver(CWnd* window) : m_window(window) {}
    CWnd* Window() const { return m_window; }

    // A tap on a push button or check box; a disabled or hidden one does nothing.
    void Click(UINT id);
    // Gives the edit field the focus and replaces its text by typing.
    void Type(UINT id, std::u16string_view text);
    void Focus(UINT id);
    // A tap on a row of a list box or list view, or a choice in a combo box.
    void Select(UINT id, int row);
    // A double tap on a row of a list view; on row -1, below its last row.
    void DoubleTap(UINT id, int row);

    std::u16string Text(UINT id) const;
    // Rows of a list box or combo box, or the first column of a list view.
    std::vector<std::u16string> Rows(UINT id) const;
    std::u16string Cell(UINT id, int row, int column) const;
    int Selected(UINT id) const;
    bool Checked(UINT id) const;
    bool Enabled(UINT id) const;
    bool Shown(UINT id) const;
    // The control's place in its window's client area.
    RECT Place(UINT id) const;

    // OK or Cancel of a dialog or sheet.
    void Press(int button);
    // Shows a sheet's page (making it the first time) and drives it.
    DialogDriver Page(int index);
    // What the window shows.
    QImage Picture() const;

    QWidget* Widget(UINT id) const;

private:
    CWnd* m_window;
};

// Stands in for a person at modal runs: each run takes the next step in line and returns the
// button pressed at its end. Set while it exists.
class ModalScript {
public:
    using Step = std::function<int(DialogDriver& window)>;
    ModalScript();
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    void Then(Step step) { m_steps.push_back(std::move(step)); }
    // What a run does when no step is left in line.
    void Otherwise(Step step) { m_otherwise = std::move(step); }
    // Titles of the windows run so far, in order.
    const std::vector<std::u16string>& Titles() const { return m_titles; }

private:
    std::deque<Step> m_steps;
    Step m_otherwise;
    std::vector<std::u16string> m_titles;
};

} // namespace testsupport
