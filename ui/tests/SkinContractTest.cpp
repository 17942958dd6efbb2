// The skin against the code: every control name the code looks up exists in the layout it is
// looked up in, every image the code or a layout names is in the skin, and the layouts build.
#include "TestEnvironment.h"
#include "UiTestSupport.h"
#include "platform/Paths.h"
#include "ui/PageIds.h"
#include "uilib/CContainerUI.h"
#include "uilib/CDialogBuilder.h"
#include "uilib/CPaintManagerUI.h"
#include "uilib/CTabLayoutUI.h"
#include "uilib/LayoutValues.h"

#include <QXmlStreamReader>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <vector>

namespace {

const std::filesystem::path kSourceDir = platform::Utf8ToPath(KELMORA_SOURCE_DIR);

// Layouts that are alternatives of each other: a name the code uses must be in all of them.
const std::vector<std::vector<std::string>> kMainFamilies = {
    {"main_device.xml", "main_device_zh.xml"},
    {"listitem.xml", "listitem_black.xml"},
    {"DeviceItem.xml", "DeviceItem_en.xml"},
    {"menu.xml", "menu_Black.xml"},
};
const std::vector<std::vector<std::string>> kPopupFamilies = {{"popdailog_en.xml"}};

// Named by the program for the dark panels although the shipped skin has no such files: the
// panels then show their flat colour.
const std::set<std::string> kImagesThatMayBeAbsent = {
    "bk_manageFP_black1.png", "bk_check_black1.png", "unlock_bk_black1.png"};

const char* const kImageAttributes[] = {"bkimage",     "foreimage",     "normalimage",  "hotimage",
                                        "pushedimage", "disabledimage", "selectedimage"};

struct SourceFile {
    std::filesystem::path path;
    std::string text;
};

std::vector<SourceFile> ProgramSources() {
    std::vector<SourceFile> files;
    for (const char* dir : {"ui", "shell"}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(kSourceDir / dir)) {
            const auto ext = entry.path().extension();
            if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h") ||
                entry.path().parent_path().filename() == "tests")
                continue;
            files.push_back({entry.path(), testing_env::ReadFile(entry.path())});
        }
    }
    return files;
}

std::set<std::string> Matches(const std::string& text, const std::regex& pattern) {
    std::set<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        found.insert((*it)[1]);
    return found;
}

// The control names of a layout, with how often each occurs.
std::map<std::string, int> NamesIn(const QByteArray& xml) {
    std::map<std::string, int> names;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement &&
            reader.name() != QLatin1String("Font")) {
            const auto name = reader.attributes().value(QLatin1String("name"));
            if (!name.isEmpty())
                ++names[name.toString().toStdString()];
        }
    return names;
}

class SkinContractTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_PROGRAM_SKIN();
        for (const QString& name : CPaintManagerUI::Skin().Names())
            files.insert(name.toStdString());
    }
    QByteArray Read(const std::string& name) {
        return CPaintManagerUI::Skin().Read(QString::fromStdString(name));
    }
    std::set<std::string> files;
};

TEST_F(SkinContractTest, EveryControlNameTheCodeUsesIsInItsLayouts) {
    static const std::regex lookup(
        R"re((?:FindControl|FindSubControl|FindMenuElement|ControlName)\(\s*L"([A-Za-z0-9_]+)")re");
    int checked = 0;
    for (const SourceFile& source : ProgramSources()) {
        const bool popup = source.path.filename().string().find("PopMSG") != std::string::npos;
        const auto& families = popup ? kPopupFamilies : kMainFamilies;
        for (const std::string& name : Matches(source.text, lookup)) {
            ++checked;
            bool found = false;
            for (const auto& family : families) {
                bool inAll = true;
                for (const std::string& layout : family)
                    inAll = inAll && NamesIn(Read(layout)).count(name) > 0;
                found = found || inAll;
            }
            EXPECT_TRUE(found) << source.path.filename().string() << " looks up \"" << name
                               << "\", which its layouts lack";
        }
    }
    EXPECT_GT(checked, 0) << "the scan found no lookups at all";
}

TEST_F(SkinContractTest, EveryLayoutAndImageTheCodeNamesIsInTheSkin) {
    static const std::regex image(R"re(["']([A-Za-z0-9_]+\.(?:png|gif))["'])re");
    static const std::regex layout(R"re(L"([A-Za-z0-9_]+\.xml)")re");
    for (const SourceFile& source : ProgramSources()) {
        for (const std::string& name : Matches(source.text, image))
            EXPECT_TRUE(files.count(name) || kImagesThatMayBeAbsent.count(name))
                << source.path.filename().string() << " names image " << name;
        for (const std::string& name : Matches(source.text, layout))
            EXPECT_TRUE(files.count(name))
                << source.path.filename().string() << " names layout " << name;
    }
}

TEST_F(SkinContractTest, LayoutsBuildNameTheirControlsOnceAndHaveTheirImages) {
    for (const std::string& file : files) {
        if (file.size() < 4 || file.substr(file.size() - 4) != ".xml")
            continue;
        const QByteArray xml = Read(file);
        CPaintManagerUI manager;
        std::unique_ptr<CControlUI> root(
            CDialogBuilder::CreateFromXml(xml, QString::fromStdString(file), nullptr, &manager));
        EXPECT_NE(root, nullptr) << file << " does not build";
        for (const auto& [name, count] : NamesIn(xml))
            EXPECT_EQ(count, 1) << file << " names \"" << name << "\" " << count << " times";

        QXmlStreamReader reader(xml);
        while (!reader.atEnd()) {
            if (reader.readNext() != QXmlStreamReader::StartElement)
                continue;
            for (const char* attribute : kImageAttributes) {
                const QString value =
                    reader.attributes().value(QLatin1String(attribute)).toString();
                if (const auto parsed = uilib::ParseImageString(value)) {
                    EXPECT_TRUE(files.count(parsed->file.toStdString()))
                        << file << " line " << reader.lineNumber() << " names "
                        << parsed->file.toStdString();
                }
            }
        }
    }
}

TEST_F(SkinContractTest, MainLayoutsHoldTheTwentyThreePagesInOrder) {
    for (const char* file : {"main_device.xml", "main_device_zh.xml"}) {
        CPaintManagerUI manager;
        std::unique_ptr<CControlUI> root(CDialogBuilder::CreateFromXml(
            Read(file), QString::fromLatin1(file), nullptr, &manager));
        ASSERT_NE(root, nullptr) << file;
        EXPECT_EQ(manager.initSize, QSize(800, 600)) << file;
        EXPECT_EQ(manager.caption, 80) << file;
        auto* tab = dynamic_cast<CTabLayoutUI*>(root->FindSubControl(L"TabMain"));
        ASSERT_NE(tab, nullptr) << file;
        ASSERT_EQ(tab->GetCount(), 23) << file;
        for (int i = 0; i < 23; ++i) {
            const std::wstring name = tab->GetItemAt(i)->GetName();
            // Pages need no names; where they have them, they say which page they are.
            if (!name.empty()) {
                EXPECT_EQ(QString::fromStdWString(name).toStdString(), kPageNames[i]) << file;
            }
        }
        EXPECT_EQ(tab->GetCurSel(), 0) << file;
        CControlUI* overlay = root->FindSubControl(L"disabled_window");
        ASSERT_NE(overlay, nullptr) << file;
        EXPECT_FALSE(overlay->IsVisible()) << file << ": the overlay starts hidden";
    }
}

} // namespace
