#include "remote/RemoteControlWindow.h"
#include "remote/RemoteMenus.h"

#include "support/RecordingObject.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>

using remote::RemoteControlWindow;
using testing_support::RecordingObject;

namespace {

// Answers prompts from a script and records what was asked.
class ScriptedPrompter final : public remote::Prompter {
public:
    std::optional<std::string> askText(QWidget* parent, const std::string& prompt, const std::string& title) override
    {
        asked.push_back(title + ": " + prompt);
        topmostWhileAsking.push_back(static_cast<RemoteControlWindow*>(parent)->topmost());
        if (answers.empty())
            return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    void showMessage(QWidget*, const std::string& text, const std::string& title) override { messages.push_back(title + ": " + text); }

    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> asked, messages;
    std::vector<bool> topmostWhileAsking;
};

class RemoteWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        plugin = vb::make<RecordingObject>("hspi_Audrey");
        plugin->values["AudreyNames"] = vb::Variant("Kitchen,Den");
        prompter = std::make_shared<ScriptedPrompter>();
        window = std::make_unique<RemoteControlWindow>([this] { return vb::Ref<vb::Object>(plugin); }, prompter);
    }

    std::string lastCall()
    {
        for (auto it = plugin->calls.rbegin(); it != plugin->calls.rend(); ++it) {
            if (it->member != "AudreyNames")
                return it->member + "(" + it->text() + ")";
        }
        return {};
    }
    std::size_t commandCount()
    {
        return plugin->calls.size() - plugin->callsOf("AudreyNames").size();
    }

    vb::Ref<RecordingObject> plugin;
    std::shared_ptr<ScriptedPrompter> prompter;
    std::unique_ptr<RemoteControlWindow> window;
};

} // namespace

TEST_F(RemoteWindowTest, FillingTwoNames)
{
    window->fillNamesAndShow();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->topmost());
    EXPECT_EQ(window->audreyBox(0)->text(), "Kitchen");
    EXPECT_EQ(window->audreyBox(1)->text(), "Den");
    for (int k = 2; k < 9; ++k) {
        EXPECT_EQ(window->audreyBox(k)->text(), "");
        EXPECT_FALSE(window->audreyBox(k)->isChecked());
        EXPECT_TRUE(window->audreyBox(k)->isEnabled());
        EXPECT_TRUE(window->action("mnu_Audrey" + std::to_string(k))->isVisible());
    }
    EXPECT_EQ(window->action("mnu_Audrey0")->text(), "Kitchen");
    EXPECT_EQ(window->WhichAudries(), "Kitchen"); // nothing ticked: the first Audrey
}

TEST_F(RemoteWindowTest, EmptyAndTooManyNames)
{
    plugin->values["AudreyNames"] = vb::Variant("");
    window->fillNamesAndShow();
    EXPECT_FALSE(window->audreyBox(0)->isEnabled());
    EXPECT_FALSE(window->action("mnu_Audrey0")->isVisible());
    window->chooseItem("mnu_TopLEDOn");
    EXPECT_EQ(lastCall(), "AudreyTopLed(|on)");

    plugin->values["AudreyNames"] = vb::Variant("a,b,c,d,e,f,g,h,i,j,k");
    window->fillNamesAndShow();
    EXPECT_EQ(window->audreyBox(8)->text(), "i");
    EXPECT_TRUE(window->audreyBox(0)->isEnabled());
}

TEST_F(RemoteWindowTest, TickRules)
{
    window->fillNamesAndShow();
    window->audreyBox(1)->click();
    window->audreyBox(0)->click();
    EXPECT_EQ(window->WhichAudries(), "Kitchen,Den");
    EXPECT_TRUE(window->action("mnu_Audrey1")->isChecked());
    // Ticking "All Audreys" ticks every enabled box; unticking one unticks them all.
    window->allAudreysBox()->click();
    for (int k = 0; k < 9; ++k)
        EXPECT_TRUE(window->audreyBox(k)->isChecked()) << k;
    window->audreyBox(3)->click();
    EXPECT_FALSE(window->allAudreysBox()->isChecked());
    for (int k = 0; k < 9; ++k)
        EXPECT_FALSE(window->audreyBox(k)->isChecked()) << k;
    // The keyboard menu toggles the boxes.
    window->chooseItem("mnu_Audrey1");
    EXPECT_TRUE(window->audreyBox(1)->isChecked());
    window->chooseItem("mnu_AllAudreys");
    EXPECT_TRUE(window->allAudreysBox()->isChecked());
    EXPECT_TRUE(window->action("mnu_AllAudreys")->isChecked());
    // Refilling unticks boxes that lost their name but keeps named ones.
    plugin->values["AudreyNames"] = vb::Variant("Kitchen");
    window->fillNamesAndShow();
    EXPECT_TRUE(window->audreyBox(0)->isChecked());
    EXPECT_FALSE(window->audreyBox(1)->isChecked());
}

TEST_F(RemoteWindowTest, EveryFixedCommandCallsThePlugin)
{
    window->fillNamesAndShow();
    window->audreyBox(1)->click(); // Den
    for (const remote::CommandSpec& c : remote::commandSpecs()) {
        if (c.kind == remote::ArgumentKind::Prompt || c.kind == remote::ArgumentKind::Volume)
            continue;
        window->chooseItem(std::string(c.item));
        std::string expected = std::string(c.member) + "(Den";
        if (c.kind == remote::ArgumentKind::Text)
            expected += "|" + std::string(c.text);
        if (c.kind == remote::ArgumentKind::Integer)
            expected += "|" + std::to_string(c.number);
        EXPECT_EQ(lastCall(), expected + ")") << c.item;
    }
    const auto browser = plugin->callsOf("AudreyBrowserFulScreen");
    ASSERT_FALSE(browser.empty());
    EXPECT_EQ(browser.back().args[1].type(), vb::vbInteger);
    window->chooseItem("mnu_Sound18");
    EXPECT_EQ(lastCall(), "AudreyPlaySound(Den|18)");
    EXPECT_EQ(plugin->callsOf("AudreyPlaySound").back().args[1].type(), vb::vbInteger);
}

TEST_F(RemoteWindowTest, PromptedCommandsSendTheTypedTextEvenWhenCancelled)
{
    window->fillNamesAndShow();
    prompter->answers = {std::string("Hello"), std::nullopt};
    window->chooseItem("mnu_Speak");
    EXPECT_EQ(lastCall(), "AudreyTest(Kitchen|Hello)");
    EXPECT_EQ(prompter->asked.back(), "Say What: What do you want to have Audrey speak?");
    EXPECT_FALSE(prompter->topmostWhileAsking.back()); // the prompt comes to the front
    EXPECT_TRUE(window->topmost());
    window->chooseItem("mnu_WEBPage");
    EXPECT_EQ(lastCall(), "AudreyPushFullscreen(Kitchen|)");

    prompter->answers = {std::string("Ann"), std::string("555")};
    window->chooseItem("mnu_ACID");
    EXPECT_EQ(lastCall(), "AudreyACID(Ann|555)");
    EXPECT_EQ(prompter->asked.back(), "ACID: What number do you want to display on ACID?");
}

TEST_F(RemoteWindowTest, VolumeValidation)
{
    window->fillNamesAndShow();
    prompter->answers = {std::string("50.5")};
    window->chooseItem("mnu_SetVolume");
    EXPECT_EQ(lastCall(), "AudreyVolume(Kitchen|50)");
    EXPECT_EQ(plugin->callsOf("AudreyVolume").back().args[1].type(), vb::vbInteger);
    prompter->answers = {std::string("100")};
    window->chooseItem("mnu_SetSoundVolume");
    EXPECT_EQ(lastCall(), "AudreySoundsVolume(Kitchen|100)");

    const std::size_t sent = commandCount();
    for (std::optional<std::string> bad : {std::optional<std::string>("101"), std::optional<std::string>("-1"),
                                           std::optional<std::string>("abc"), std::optional<std::string>(""),
                                           std::optional<std::string>()}) {
        prompter->answers = {bad};
        window->chooseItem("mnu_SetVolume");
    }
    EXPECT_EQ(commandCount(), sent);
    ASSERT_EQ(prompter->messages.size(), 5u);
    EXPECT_EQ(prompter->messages[0], "raruveViziva: Not a valid volume level.  Must be a number between 0 and 100");
    EXPECT_TRUE(window->topmost());
}

TEST_F(RemoteWindowTest, CollapseExpandAndTheKeyboardMenu)
{
    window->fillNamesAndShow();
    EXPECT_EQ(window->heightTwips(), 6450);
    EXPECT_EQ(window->popUpAreaMenu("img_Keyboard", QPoint(10, 10)), nullptr);
    window->clickArea("img_Keyboard");
    EXPECT_EQ(window->heightTwips(), 4550);
    EXPECT_EQ(window->activeArea("img_Keyboard")->toolTip(), "Show Keyboard - Select Audreys");
    QMenu* menu = window->popUpAreaMenu("img_Keyboard", QPoint(10, 10));
    ASSERT_NE(menu, nullptr);
    menu->hide();
    window->clickArea("img_Keyboard");
    EXPECT_EQ(window->heightTwips(), 6450);
    EXPECT_EQ(window->activeArea("img_Keyboard")->toolTip(), "Hide Keyboard - Select Audreys");
}

TEST_F(RemoteWindowTest, MenusAndAreasAsPublished)
{
    EXPECT_EQ(window->activeArea("img_Display")->geometry(), QRect(64, 128, 137, 97));
    EXPECT_EQ(window->activeArea("img_TopLED")->toolTip(), "Control Top LED");
    EXPECT_FALSE(window->action("mnu_About")->isVisible());
    EXPECT_FALSE(window->action("zmnu_DatebookNA")->isVisible());
    EXPECT_TRUE(window->action("zmnu_BrowserRule")->isSeparator());
    EXPECT_EQ(window->action("mnu_Sound0")->text(), "Cancel");
    EXPECT_EQ(window->action("mnu_Sound18")->text(), "Wake");
    EXPECT_EQ(window->action("mnu_MP3Prev")->text(), "Phjuke - Previous Song");
    EXPECT_EQ(window->action("mnu_Audrey4")->text(), "A4"); // before the names are filled in
    EXPECT_FALSE(window->action("mnu_Audrey4")->isVisible());
    // A right click on an area pops its menu up.
    QWidget* led = window->activeArea("img_TopLED");
    window->show();
    QTest::mousePress(led, Qt::RightButton, {}, QPoint(2, 2));
    EXPECT_TRUE(window->popup("popmnu_TopLED")->isVisible());
    window->popup("popmnu_TopLED")->hide();
}

TEST_F(RemoteWindowTest, HidingAndShape)
{
    window->fillNamesAndShow();
    EXPECT_FALSE(window->mask().isEmpty());
    EXPECT_TRUE(window->mask().contains(QPoint(130, 175)));
    EXPECT_FALSE(window->mask().contains(QPoint(1, 1)));
    window->clickArea("img_OptionsButton");
    EXPECT_FALSE(window->isVisible());
    window->fillNamesAndShow();
    window->chooseItem("mnu_Hide");
    EXPECT_FALSE(window->isVisible());
}

TEST_F(RemoteWindowTest, PanelColourAndToolTipsOnAnInactiveWindow)
{
    window->fillNamesAndShow();
    // The boxes' own background, where no caption covers it.
    for (QCheckBox* box : {window->audreyBox(0), window->audreyBox(5), window->allAudreysBox()}) {
        const QImage drawn = box->grab().toImage();
        EXPECT_EQ(drawn.pixelColor(drawn.width() - 3, drawn.height() / 2), QColor(224, 224, 224)) << box->objectName().toStdString();
    }
    EXPECT_TRUE(window->testAttribute(Qt::WA_AlwaysShowToolTips));
}

TEST_F(RemoteWindowTest, FailuresLeaveTheWindowUsable)
{
    plugin->failures["AudreyTopLed"] = vb::err::NoSuchMember;
    window->fillNamesAndShow();
    EXPECT_NO_THROW(window->chooseItem("mnu_TopLEDOn"));
    RemoteControlWindow orphan([] { return vb::Ref<vb::Object>(); });
    EXPECT_THROW(orphan.fillNamesAndShow(), vb::Error); // the tray swallows it and shows nothing
    EXPECT_FALSE(orphan.isVisible());
    EXPECT_NO_THROW(orphan.chooseItem("mnu_TopLEDOn"));
}

TEST(RemoteWindowDialogs, RealInputDialogIsAnswered)
{
    vb::Ref<RecordingObject> plugin = vb::make<RecordingObject>();
    plugin->values["AudreyNames"] = vb::Variant("Kitchen");
    RemoteControlWindow window([&] { return vb::Ref<vb::Object>(plugin); });
    window.fillNamesAndShow();
    int seen = 0;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
            ++seen;
            EXPECT_EQ(dialog->windowTitle(), "Display What");
            dialog->setTextValue("Dinner is ready");
            dialog->accept();
        }
    });
    driver.start(20);
    QTimer::singleShot(5000, [] {
        if (QWidget* stuck = QApplication::activeModalWidget())
            stuck->close(); // a stuck dialog fails the test instead of hanging it
    });
    window.chooseItem("mnu_Text");
    EXPECT_EQ(seen, 1);
    ASSERT_FALSE(plugin->callsOf("AudreyText").empty());
    EXPECT_EQ(plugin->callsOf("AudreyText").back().text(), "Kitchen|Dinner is ready");
}
