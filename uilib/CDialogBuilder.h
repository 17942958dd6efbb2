#pragma once
// Builds controls from a layout file of the skin (see LAYOUT_FORMAT.md).
#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

class CControlUI;
class CPaintManagerUI;

// Lets a window make its own control for an element name (nullptr: the library's own).
class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    virtual CControlUI* CreateControl(const std::wstring& className) = 0;
};

class CDialogBuilder {
public:
    // The control tree of a layout file of the skin; for a Window file, its attributes and
    // fonts go to `manager`. nullptr (with a warning) when the file is missing or malformed.
    static CControlUI* Create(std::wstring_view file, IDialogBuilderCallback* callback = nullptr,
                              CPaintManagerUI* manager = nullptr);
    static CControlUI* CreateFromXml(const QByteArray& xml, const QString& fileName,
                                     IDialogBuilderCallback* callback = nullptr,
                                     CPaintManagerUI* manager = nullptr);
    // A new control of a layout class ("Button", ...), nullptr for an unknown class.
    static CControlUI* CreateControl(const QString& className);
};
