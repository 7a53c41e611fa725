#include "ScriptDialogs.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include <array>
#include <utility>

namespace shell {

namespace {

// VBScript's button numbers and the Qt buttons they stand for.
constexpr std::array<std::pair<QMessageBox::StandardButton, std::int32_t>, 7> kAnswers = {{
    {QMessageBox::Ok, 1},
    {QMessageBox::Cancel, 2},
    {QMessageBox::Abort, 3},
    {QMessageBox::Retry, 4},
    {QMessageBox::Ignore, 5},
    {QMessageBox::Yes, 6},
    {QMessageBox::No, 7},
}};

// The button sets of the buttons argument's lowest four bits (vbOKOnly ... vbRetryCancel).
QList<QMessageBox::StandardButton> buttonSet(std::int32_t buttons)
{
    switch (buttons & 0xF) {
    case 1: return {QMessageBox::Ok, QMessageBox::Cancel};
    case 2: return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
    case 3: return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case 4: return {QMessageBox::Yes, QMessageBox::No};
    case 5: return {QMessageBox::Retry, QMessageBox::Cancel};
    default: return {QMessageBox::Ok};
    }
}

QMessageBox::Icon iconOf(std::int32_t buttons)
{
    switch (buttons & 0x70) {
    case 16: return QMessageBox::Critical;
    case 32: return QMessageBox::Question;
    case 48: return QMessageBox::Warning;
    case 64: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

std::int32_t ScriptDialogs::msgBox(const std::string& prompt, std::int32_t buttons, const std::string& title)
{
    QMessageBox box(iconOf(buttons), QString::fromStdString(title.empty() ? "VBScript" : title), QString::fromStdString(prompt));
    const QList<QMessageBox::StandardButton> set = buttonSet(buttons);
    for (QMessageBox::StandardButton b : set)
        box.addButton(b);
    const int defaultIndex = (buttons & 0x300) >> 8; // vbDefaultButton1 ... 3
    if (defaultIndex < set.size())
        box.setDefaultButton(set[defaultIndex]);
    if (buttons & 4096) // vbSystemModal: stay on top of everything
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    for (const auto& [button, number] : kAnswers) {
        if (button == pressed)
            return number;
    }
    // Closed without a button: Cancel where there is one, else the only button.
    return set.contains(QMessageBox::Cancel) ? 2 : kAnswers[0].second;
}

std::optional<std::string> ScriptDialogs::inputBox(const std::string& prompt, const std::string& title,
                                                   const std::string& defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(nullptr, QString::fromStdString(title.empty() ? "VBScript" : title),
                                               QString::fromStdString(prompt), QLineEdit::Normal,
                                               QString::fromStdString(defaultText), &ok);
    if (!ok)
        return std::nullopt;
    return text.toStdString();
}

} // namespace shell
