#include <platform/MessageBox.h>

#include "core/Application.h"
#include "core/Text.h"

#include <QGuiApplication>
#include <QMessageBox>

#include <cstdio>
#include <mutex>
#include <string>

namespace {

std::mutex g_hookMutex;
platform::MessageBoxHook g_hook;

platform::MessageBoxHook CurrentHook() {
    std::lock_guard lock(g_hookMutex);
    return g_hook;
}

} // namespace

namespace platform {

void SetMessageBoxHook(MessageBoxHook hook) {
    std::lock_guard lock(g_hookMutex);
    g_hook = std::move(hook);
}

} // namespace platform

int MessageBoxW(HWND, LPCWSTR lpText, LPCWSTR lpCaption, UINT) {
    const std::u16string text = lpText ? lpText : u"";
    if (auto hook = CurrentHook())
        return hook(text);
    platform::detail::EnsureApplication();
    // Nobody could answer a box without a display: report the text and go on.
    if (QGuiApplication::platformName() == QStringLiteral("offscreen") ||
        QGuiApplication::platformName() == QStringLiteral("minimal")) {
        std::fprintf(stderr, "%s\n", platform::detail::ToUtf8(text).c_str());
        return IDOK;
    }
    const std::u16string caption = lpCaption ? lpCaption : u"Tovalo";
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdU16String(caption),
                    QString::fromStdU16String(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return IDOK;
}

int AfxMessageBox(LPCWSTR lpszText, UINT nType) {
    return MessageBoxW(nullptr, lpszText, u"Tovalo", nType);
}
