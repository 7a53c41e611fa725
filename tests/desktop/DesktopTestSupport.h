// Pieces shared by the desktop tests: a notification area that records what the tray
// asks of it, a callback form that records the numbers it receives, and a helper that
// acts while a pop-up menu or modal dialog is open and then closes it.
#pragma once

#include "shell/desktop/NotificationArea.h"

#include "automation/Conversions.h"
#include "automation/MemberTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace desktop_testing {

class RecordingArea final : public shell::NotificationArea {
public:
    struct Entry {
        Operation operation;
        shell::IconRecord record;
    };
    void notify(Operation operation, const shell::IconRecord& record) override { entries.push_back({operation, record}); }

    // "add", "modify", "delete" in order.
    std::vector<std::string> operations() const
    {
        std::vector<std::string> out;
        for (const Entry& e : entries)
            out.push_back(e.operation == Operation::Add ? "add" : e.operation == Operation::Modify ? "modify" : "delete");
        return out;
    }

    std::vector<Entry> entries;
};

// Stands for the main form: records each TrayIconCallback and can act during one.
class CallbackForm final : public vb::Dispatch<CallbackForm> {
public:
    static const vb::MemberTable<CallbackForm>& members()
    {
        static const vb::MemberTable<CallbackForm> table("CallbackForm", {
            vb::method<&CallbackForm::TrayIconCallback>("TrayIconCallback"),
        });
        return table;
    }
    void TrayIconCallback(vb::Variant& msg)
    {
        received.push_back(vb::CLng(msg));
        types.push_back(msg.varType());
        if (during)
            during();
        if (fail)
            vb::raiseError(vb::err::DivisionByZero);
    }

    std::vector<std::int32_t> received;
    std::vector<int> types;
    std::function<void()> during;
    bool fail = false;
};

// Runs `step` on the pop-up menu once one is open, then closes it. A pop-up that does not
// appear within five seconds fails the test instead of hanging it.
inline void onceMenuOpens(std::function<void(QMenu&)> step)
{
    auto* poll = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(poll, &QTimer::timeout, [poll, clock, step] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu && clock->elapsed() < 5000)
            return;
        poll->stop();
        poll->deleteLater();
        delete clock;
        if (!menu) {
            ADD_FAILURE() << "no pop-up menu opened";
            return;
        }
        step(*menu);
        if (menu->isVisible())
            menu->close();
    });
    poll->start(10);
}

} // namespace desktop_testing
