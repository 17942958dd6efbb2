#include "uilib/DesktopServices.h"

#include "uilib/CWindowWnd.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QUrl>

namespace uilib {
namespace {
std::function<bool(std::wstring_view)> openUrlHook;
std::function<std::optional<std::wstring>(std::wstring_view)> chooseFolderHook;

QString ToQString(std::wstring_view text) {
    return QString::fromStdWString(std::wstring(text));
}
} // namespace

bool OpenUrl(std::wstring_view url) {
    if (openUrlHook)
        return openUrlHook(url);
    return QDesktopServices::openUrl(QUrl(ToQString(url)));
}

bool SetClipboardText(std::wstring_view text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(ToQString(text));
    return true;
}

std::wstring GetClipboardText() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text().toStdWString() : std::wstring();
}

std::optional<std::wstring> ChooseFolder(CWindowWnd* owner, std::wstring_view title) {
    if (chooseFolderHook)
        return chooseFolderHook(title);
    const QString folder =
        QFileDialog::getExistingDirectory(owner ? owner->GetWidget() : nullptr, ToQString(title));
    if (folder.isEmpty())
        return std::nullopt;
    return folder.toStdWString();
}

void SetOpenUrlHook(std::function<bool(std::wstring_view)> hook) {
    openUrlHook = std::move(hook);
}

void SetChooseFolderHook(std::function<std::optional<std::wstring>(std::wstring_view)> hook) {
    chooseFolderHook = std::move(hook);
}

} // namespace uilib
