// The tray form: the icon's add/modify/delete calls and tip, and the delivery of mouse
// notifications to the callback object.
#include "DesktopTestSupport.h"

#include "shell/desktop/TrayIcon.h"

#include "automation/Dictionary.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>

using desktop_testing::CallbackForm;
using desktop_testing::RecordingArea;
using shell::TrayIcon;
using Reason = QSystemTrayIcon::ActivationReason;
using Numbers = std::vector<std::int32_t>;

namespace {

QIcon plainIcon(QColor colour)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(colour);
    return QIcon(QPixmap::fromImage(image));
}

class TrayIconTest : public ::testing::Test {
protected:
    TrayIconTest()
    {
        auto recording = std::make_unique<RecordingArea>();
        area = recording.get();
        tray = std::make_unique<TrayIcon>(std::move(recording));
        form = vb::make<CallbackForm>();
        tray->SetCallback(vb::Ref<vb::Object>(form));
    }
    void activate(Reason reason) { area->activated(reason); }

    RecordingArea* area = nullptr;
    std::unique_ptr<TrayIcon> tray;
    vb::Ref<CallbackForm> form;
};

} // namespace

TEST_F(TrayIconTest, UpdateAddsThenModifiesThenDeletesOnce)
{
    const QIcon normal = plainIcon(Qt::blue);
    const QIcon activity = plainIcon(Qt::yellow);
    tray->setCaption("Audrey");
    EXPECT_FALSE(tray->iconAdded());

    tray->Update(true, normal);
    tray->Update(true, activity);
    tray->Update(true, normal);
    EXPECT_TRUE(tray->iconAdded());
    tray->Update(false, QIcon());
    EXPECT_FALSE(tray->iconAdded());
    tray->Update(false, QIcon()); // nothing left to remove
    tray->unload();          // nor here
    EXPECT_EQ(area->operations(), (std::vector<std::string>{"add", "modify", "modify", "delete"}));

    EXPECT_EQ(area->entries[0].record.icon.cacheKey(), normal.cacheKey());
    EXPECT_EQ(area->entries[1].record.icon.cacheKey(), activity.cacheKey());
    EXPECT_EQ(area->entries[0].record.tip, "Audrey");
    // The delete names the icon as it was last shown.
    EXPECT_EQ(area->entries[3].record.icon.cacheKey(), normal.cacheKey());

    // After a removal the next update adds the icon again.
    tray->Update(true, normal);
    EXPECT_EQ(area->operations().back(), "add");
}

TEST_F(TrayIconTest, TipIsTheCaptionCutToSixtyThreeCharacters)
{
    tray->setCaption(std::string(70, 'x'));
    tray->Update(true, plainIcon(Qt::blue));
    EXPECT_EQ(area->entries.back().record.tip, QString(63, 'x'));

    tray->setCaption("");
    tray->Update(true, plainIcon(Qt::blue));
    EXPECT_EQ(area->entries.back().record.tip, "");

    // Cut by characters: a multi-byte character is never split.
    std::string accented;
    for (int i = 0; i < 64; ++i)
        accented += "\xc3\xa9"; // é
    EXPECT_EQ(shell::tipText(accented), QString(63, QChar(0xe9)));
    EXPECT_EQ(shell::tipText(std::string(63, 'y')), QString(63, 'y'));
}

TEST_F(TrayIconTest, ClicksReachTheCallbackByNameAsLongNumbers)
{
    activate(QSystemTrayIcon::Trigger);
    activate(QSystemTrayIcon::Context);
    activate(QSystemTrayIcon::DoubleClick);
    activate(QSystemTrayIcon::MiddleClick); // stands for no button message
    activate(QSystemTrayIcon::Unknown);
    EXPECT_EQ(form->received, (Numbers{514, 517, 513, 514, 515, 514}));
    for (int type : form->types)
        EXPECT_EQ(type, vb::vbLong);
    EXPECT_EQ(tray->lastMessage(), 514);
}

TEST_F(TrayIconTest, OnlyButtonMessagesAreDelivered)
{
    for (std::int32_t message : {512, 513, 518, 519, 0, -1})
        tray->mouseMessage(message);
    EXPECT_EQ(form->received, (Numbers{513, 518}));
    EXPECT_EQ(tray->lastMessage(), -1);
}

TEST_F(TrayIconTest, NotificationsDuringACallbackAreDropped)
{
    int nested = 0;
    form->during = [&] {
        if (nested++ == 0) {
            EXPECT_TRUE(tray->deliveringCallback());
            activate(QSystemTrayIcon::Context); // e.g. a right click while the tray menu is open
            activate(QSystemTrayIcon::DoubleClick);
        }
    };
    activate(QSystemTrayIcon::Trigger);
    EXPECT_EQ(form->received, (Numbers{514}));
    EXPECT_FALSE(tray->deliveringCallback());

    // Once the callback has returned, the next click is delivered again.
    activate(QSystemTrayIcon::Context);
    EXPECT_EQ(form->received, (Numbers{514, 517}));
}

TEST_F(TrayIconTest, CallbackErrorsStayInTheTray)
{
    form->fail = true;
    activate(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(tray->deliveringCallback());
    form->fail = false;
    activate(QSystemTrayIcon::Trigger);
    EXPECT_EQ(form->received, (Numbers{514, 514}));

    // A callback object without the member, or none at all, is no failure either.
    tray->SetCallback(vb::make<vb::Dictionary>());
    activate(QSystemTrayIcon::Trigger);
    tray->SetCallback(nullptr);
    activate(QSystemTrayIcon::Trigger);
    EXPECT_EQ(tray->lastMessage(), 514);
}

TEST(SystemTrayArea, ShowsAndHidesTheDesktopIcon)
{
    shell::SystemTrayArea area;
    const QIcon icon = plainIcon(Qt::green);
    area.notify(shell::NotificationArea::Operation::Add, {icon, "Audrey"});
    EXPECT_TRUE(area.icon().isVisible());
    EXPECT_EQ(area.icon().toolTip(), "Audrey");
    EXPECT_EQ(area.icon().icon().cacheKey(), icon.cacheKey());
    area.notify(shell::NotificationArea::Operation::Modify, {icon, "Changed"});
    EXPECT_EQ(area.icon().toolTip(), "Changed");
    area.notify(shell::NotificationArea::Operation::Delete, {icon, "Changed"});
    EXPECT_FALSE(area.icon().isVisible());

}

TEST(SystemTrayArea, ReportsActivationsFromTheEventLoop)
{
    std::vector<Reason> reasons;
    {
        shell::SystemTrayArea area;
        area.activated = [&](Reason r) { reasons.push_back(r); };
        // Not from inside the icon's own handling: what the report starts may remove the icon.
        Q_EMIT area.icon().activated(QSystemTrayIcon::Context);
        Q_EMIT area.icon().activated(QSystemTrayIcon::Trigger);
        EXPECT_TRUE(reasons.empty());
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(reasons, (std::vector<Reason>{QSystemTrayIcon::Context, QSystemTrayIcon::Trigger}));

        // A report still waiting when the area goes is dropped.
        Q_EMIT area.icon().activated(QSystemTrayIcon::Context);
    }
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(reasons.size(), 2u);
}

// Stands for Qt's window of the icon in an X11 tray; counts the button events it gets.
class IconWindow final : public QWidget {
public:
    int buttonEvents = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++buttonEvents; }
    void mouseReleaseEvent(QMouseEvent*) override { ++buttonEvents; }
    void mouseDoubleClickEvent(QMouseEvent*) override { ++buttonEvents; }
};

TEST(SystemTrayArea, ButtonEventsOfTheIconWindowAreMessagesAtTheirMoments)
{
    shell::SystemTrayArea area;
    Numbers messages;
    std::vector<Reason> reasons;
    area.mouseMessage = [&](std::int32_t m) { messages.push_back(m); };
    area.activated = [&](Reason r) { reasons.push_back(r); };
    IconWindow window;
    area.watchIconWindow(&window);
    auto send = [&](QEvent::Type type, Qt::MouseButton button) {
        QMouseEvent event(type, QPointF(4, 4), QPointF(4, 4), button, type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                          Qt::NoModifier);
        QApplication::sendEvent(&window, &event);
        QCoreApplication::sendPostedEvents();
    };
    // The press alone is 513: a click acts on its release, 514.
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(messages, (Numbers{513}));
    send(QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(messages, (Numbers{513, 514}));
    // The second click of a double click arrives as a double-click event.
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::LeftButton);
    send(QEvent::MouseButtonPress, Qt::RightButton);
    send(QEvent::MouseButtonRelease, Qt::RightButton);
    send(QEvent::MouseButtonDblClick, Qt::RightButton);
    send(QEvent::MouseButtonPress, Qt::MiddleButton);
    EXPECT_EQ(messages, (Numbers{513, 514, 515, 514, 516, 517, 518}));
    // Qt's own handling (an activation at the press) never sees them.
    EXPECT_EQ(window.buttonEvents, 0);
    EXPECT_TRUE(reasons.empty());
}

TEST_F(TrayIconTest, MessagesOfTheIconWindowReachTheCallback)
{
    area->mouseMessage(513);
    area->mouseMessage(514);
    EXPECT_EQ(form->received, (Numbers{513, 514}));
}
