#pragma once

#include <platform/CWnd.h>
#include <platform/Controls.h>
#include <platform/DialogTemplate.h>
#include <platform/platform_export.h>

#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform::detail {

// The window of one dialog control: a window of its own (so that it has a handle, an id and
// the keyboard focus) holding the toolkit's widget for the control, whose changes by a person
// reach the dialog as notifications.
class ControlWindow : public CWnd {
public:
    explicit ControlWindow(const DialogItem& item) : m_item(item) {}
    ~ControlWindow() override;

    // Makes the window as a child of the dialog at a rectangle in pixels.
    BOOL Make(CWnd* dialog, const RECT& pixels, const QFont& font);
    // Hears nothing more of its widget, which the toolkit deletes later.
    BOOL DestroyWindow() override;
    static ControlWindow* Of(HWND hWnd);

    const DialogItem& Item() const { return m_item; }
    QWidget* Widget() const { return m_widget; }
    template <class W> W* As() const { return qobject_cast<W*>(m_widget.data()); }

    // Changes the program makes send no notification, as on the device.
    class Quiet {
    public:
        explicit Quiet(ControlWindow* control) : m_control(control) { ++m_control->m_quiet; }
        ~Quiet() { --m_control->m_quiet; }
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;

    private:
        ControlWindow* m_control;
    };

    // The list view's small-image list and its rows' icons.
    HIMAGELIST m_smallImages = nullptr;
    QIcon IconOf(int image);
    void RefreshIcons();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    QWidget* MakeWidget(QWidget* host);
    void Command(UINT code);
    void ListNotify(UINT code, int row, QPoint at);
    bool FilterListView(QEvent* event);

    DialogItem m_item;
    QPointer<QWidget> m_widget;
    int m_quiet = 0;
    bool m_afterDoubleTap = false;
    QHash<int, QIcon> m_icons;
    // The context of every connection to the widget, and the parent of its event filters.
    std::unique_ptr<QObject> m_context = std::make_unique<QObject>();
};

// Searches of the rows of a list box or combo box, by their texts, ignoring case: the row
// whose whole text matches after nStartAfter, wrapping around (-1 when none), and the row
// at which a text goes in order.
int FindExactRow(int count, int nStartAfter, std::u16string_view text,
                 const std::function<std::u16string(int row)>& textOf);
int SortedRow(int count, std::u16string_view text,
              const std::function<std::u16string(int row)>& textOf);

// A control's text for the toolkit; a null text is an empty one.
inline QString ToQt(const WCHAR* text) {
    return QString::fromUtf16(text ? text : u"");
}

// The image of an image list (the shell's small icons or a list of our own), or null.
const QImage* ImageListImage(HIMAGELIST list, int index);

// The toolkit widget of a dialog's control, for tests that act as a person would.
PLATFORM_EXPORT QWidget* ControlWidget(CWnd* dialog, UINT id);

} // namespace platform::detail
