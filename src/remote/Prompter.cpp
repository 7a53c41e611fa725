#include "Prompter.h"

#include <QInputDialog>
#include <QMessageBox>

namespace remote {

std::optional<std::string> DialogPrompter::askText(QWidget* parent, const std::string& prompt, const std::string& title)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent, QString::fromStdString(title), QString::fromStdString(prompt),
                                               QLineEdit::Normal, QString(), &ok);
    if (!ok)
        return std::nullopt;
    return text.toStdString();
}

void DialogPrompter::showMessage(QWidget* parent, const std::string& text, const std::string& title)
{
    QMessageBox::information(parent, QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok);
}

} // namespace remote
