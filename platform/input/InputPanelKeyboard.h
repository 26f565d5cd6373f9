#pragma once

#include <platform/platform_export.h>

#include <QWidget>

class QAbstractButton;

namespace platform::detail {

// The input panel: an on-screen keyboard of letters, digits, space, backspace, shift and
// enter, 240 pixels wide. It never takes the focus; its keys type into the focused widget.
class PLATFORM_EXPORT InputPanelKeyboard : public QWidget {
public:
    InputPanelKeyboard();
    // The key showing this text ("a", "Shift", "Space" ...), for tests.
    QAbstractButton* Key(const QString& name) const;
    // Puts the panel at the foot of the window it types into.
    void PlaceFor(const QWidget* window);

private:
    void Press(int key, const QString& text);
    void SetShift(bool on);

    bool m_shift = false;
};

// The panel while it exists.
PLATFORM_EXPORT InputPanelKeyboard* TheInputPanel();

} // namespace platform::detail
