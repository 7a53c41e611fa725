#include "shell/desktop/ScriptDialogs.h"

#include "vbscript/ScriptControl.h"
#include "automation/Conversions.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs `answer` on the first modal dialog that opens, and closes any dialog still
// open after five seconds so a stuck test fails instead of hanging.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(QWidget*)> answer) : answer_(std::move(answer))
    {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                poll_.stop();
                title = modal->windowTitle();
                answer_(modal);
            }
        });
        poll_.start(20);
        QTimer::singleShot(5000, [] {
            if (QWidget* stuck = QApplication::activeModalWidget())
                stuck->close();
        });
    }
    QString title;

private:
    std::function<void(QWidget*)> answer_;
    QTimer poll_;
};

void press(QWidget* modal, QMessageBox::StandardButton which)
{
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    box->button(which)->click();
}

} // namespace

TEST(ScriptDialogs, MessageBoxButtonsAnswerWithVBScriptNumbers)
{
    shell::ScriptDialogs dialogs;
    {
        DialogDriver driver([](QWidget* m) { press(m, QMessageBox::No); });
        EXPECT_EQ(dialogs.msgBox("Continue?", 4 + 32, "Ask"), 7); // vbYesNo + vbQuestion -> vbNo
        EXPECT_EQ(driver.title, "Ask");
    }
    {
        DialogDriver driver([](QWidget* m) { press(m, QMessageBox::Retry); });
        EXPECT_EQ(dialogs.msgBox("Again?", 5, ""), 4); // vbRetryCancel -> vbRetry
        EXPECT_EQ(driver.title, "VBScript");
    }
}

TEST(ScriptDialogs, InputBoxTextOrNothingWhenCancelled)
{
    shell::ScriptDialogs dialogs;
    {
        DialogDriver driver([](QWidget* m) {
            auto* input = qobject_cast<QInputDialog*>(m);
            ASSERT_NE(input, nullptr);
            EXPECT_EQ(input->textValue(), "start");
            input->setTextValue("typed");
            input->accept();
        });
        EXPECT_EQ(dialogs.inputBox("Name?", "Title", "start"), std::optional<std::string>("typed"));
    }
    {
        DialogDriver driver([](QWidget* m) { qobject_cast<QInputDialog*>(m)->reject(); });
        EXPECT_EQ(dialogs.inputBox("Name?", "Title", ""), std::nullopt);
    }
}

TEST(ScriptDialogs, ScriptsAllowedUserInterfaceGetTheDialog)
{
    shell::ScriptDialogs dialogs;
    vbscript::ScriptControl control;
    control.library().setUserInterface(&dialogs);
    control.setAllowUI(true);
    DialogDriver driver([](QWidget* m) { press(m, QMessageBox::Yes); });
    EXPECT_EQ(vb::CLng(control.Eval("MsgBox(\"Lights on?\", vbYesNo, \"House\")")), 6);
    EXPECT_EQ(driver.title, "House");
}
