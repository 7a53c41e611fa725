#include "TraylessWindow.h"

#include "remote/RemoteControlWindow.h"

#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

namespace shell {

TraylessWindow::TraylessWindow(remote::RemoteControlWindow& remote, QMenu& trayMenu)
    : remote_(remote)
{
    setObjectName("TraylessWindow");
    setWindowTitle(kTitle);
    setWindowIcon(QIcon::fromTheme("tallis"));
    menuBar()->addMenu(&trayMenu);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setSizeConstraint(QLayout::SetFixedSize); // follows the picture's height
    note_ = new QLabel(kNote, central);
    note_->setObjectName("TraylessNote");
    note_->setWordWrap(true);
    note_->setFixedWidth(remote.width());
    note_->hide();
    layout->addWidget(note_);
    // The picture becomes a part of this window: no longer a window of its own, so it
    // is neither shaped to the screen nor kept on top.
    remote_.setParent(central, Qt::Widget);
    layout->addWidget(&remote_);
    setCentralWidget(central);
}

TraylessWindow::~TraylessWindow()
{
    // The picture's owner deletes it.
    remote_.hide();
    remote_.setParent(nullptr);
}

void TraylessWindow::showInFront()
{
    note_->setVisible(!shownBefore_);
    shownBefore_ = true;
    remote_.show();
    show();
    raise();
    activateWindow();
}

bool TraylessWindow::noteShown() const
{
    return note_->isVisible();
}

} // namespace shell
