#include "uilib/CDialogBuilder.h"

#include "uilib/CButtonUI.h"
#include "uilib/CContainerUI.h"
#include "uilib/CEditUI.h"
#include "uilib/CGifAnimUI.h"
#include "uilib/CListUI.h"
#include "uilib/COptionUI.h"
#include "uilib/CPaintManagerUI.h"
#include "uilib/CProgressUI.h"
#include "uilib/CTabLayoutUI.h"
#include "uilib/CTextUI.h"
#include "uilib/LayoutValues.h"

#include <QDebug>
#include <QXmlStreamReader>
#include <memory>

namespace {

struct Builder {
    QXmlStreamReader& xml;
    const QString& file;
    IDialogBuilderCallback* callback;
    CPaintManagerUI* manager;

    CControlUI* Make(const QString& className) {
        if (callback)
            if (CControlUI* made = callback->CreateControl(className.toStdWString()))
                return made;
        return CDialogBuilder::CreateControl(className);
    }

    // Reads the current element (a control) and its children.
    CControlUI* Control() {
        const QString className = xml.name().toString();
        std::unique_ptr<CControlUI> control(Make(className));
        if (!control) {
            qWarning().noquote() << file << "line" << xml.lineNumber() << ": unknown element"
                                 << className;
            xml.skipCurrentElement();
            return nullptr;
        }
        for (const QXmlStreamAttribute& a : xml.attributes())
            control->SetAttribute(a.name().toString(), a.value().toString());
        auto* container = dynamic_cast<CContainerUI*>(control.get());
        while (xml.readNextStartElement()) {
            CControlUI* child = Control();
            if (!child)
                continue;
            if (container)
                container->Add(child);
            else
                delete child; // only containers hold children
        }
        return control.release();
    }

    void Font() {
        const auto a = xml.attributes();
        if (manager) {
            manager->AddFont(a.value(QLatin1String("id")).toInt(),
                             CPaintManagerUI::MakeFont(
                                 a.value(QLatin1String("name")).toString(),
                                 a.value(QLatin1String("size")).toInt(),
                                 uilib::ParseBool(a.value(QLatin1String("bold")).toString()),
                                 uilib::ParseBool(a.value(QLatin1String("italic")).toString())));
        }
        xml.skipCurrentElement();
    }

    CControlUI* Window() {
        if (manager) {
            const auto a = xml.attributes();
            if (auto size = uilib::ParseRect(QStringLiteral("0,0,") +
                                             a.value(QLatin1String("size")).toString()))
                manager->initSize = size->size();
            manager->caption = a.value(QLatin1String("caption")).toInt();
            manager->roundCorner = a.value(QLatin1String("roundcorner")).toInt();
            manager->shadow = uilib::ParseBool(a.value(QLatin1String("shadow")).toString());
            manager->bkColor =
                uilib::ParseColor(a.value(QLatin1String("bkcolor")).toString()).value_or(0);
        }
        CControlUI* content = nullptr;
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("Font")) {
                Font();
                continue;
            }
            CControlUI* child = Control();
            if (!child)
                continue;
            if (!content) {
                content = child;
                continue;
            }
            // More than one top control: hold them in one container.
            if (!dynamic_cast<CContainerUI*>(content) || content->HasPos()) {
                auto* wrapper = new CContainerUI;
                wrapper->Add(content);
                content = wrapper;
            }
            static_cast<CContainerUI*>(content)->Add(child);
        }
        return content;
    }
};

} // namespace

CControlUI* CDialogBuilder::Create(std::wstring_view file, IDialogBuilderCallback* callback,
                                   CPaintManagerUI* manager) {
    const QString name = QString::fromStdWString(std::wstring(file));
    if (!CPaintManagerUI::Skin().Contains(name)) {
        qWarning().noquote() << "skin: no layout" << name;
        return nullptr;
    }
    return CreateFromXml(CPaintManagerUI::Skin().Read(name), name, callback, manager);
}

CControlUI* CDialogBuilder::CreateFromXml(const QByteArray& text, const QString& fileName,
                                          IDialogBuilderCallback* callback,
                                          CPaintManagerUI* manager) {
    QXmlStreamReader xml(text);
    if (!xml.readNextStartElement())
        return nullptr;
    Builder builder{xml, fileName, callback, manager};
    CControlUI* root = xml.name() == QLatin1String("Window") ? builder.Window() : builder.Control();
    if (xml.hasError()) {
        qWarning().noquote() << fileName << "line" << xml.lineNumber() << ":" << xml.errorString();
        delete root;
        return nullptr;
    }
    return root;
}

CControlUI* CDialogBuilder::CreateControl(const QString& c) {
    if (c == QLatin1String("Control"))
        return new CControlUI;
    if (c == QLatin1String("Container"))
        return new CContainerUI;
    if (c == QLatin1String("TabLayout"))
        return new CTabLayoutUI;
    if (c == QLatin1String("Label"))
        return new CLabelUI;
    if (c == QLatin1String("Text"))
        return new CTextUI;
    if (c == QLatin1String("Button"))
        return new CButtonUI;
    if (c == QLatin1String("Edit"))
        return new CEditUI;
    if (c == QLatin1String("Option"))
        return new COptionUI;
    if (c == QLatin1String("Progress"))
        return new CProgressUI;
    if (c == QLatin1String("List"))
        return new CListUI;
    if (c == QLatin1String("GifAnim"))
        return new CGifAnimUI;
    return nullptr;
}
