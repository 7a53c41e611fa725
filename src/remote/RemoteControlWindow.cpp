#include "RemoteControlWindow.h"

#include "AudreyPicture.h"
#include "RemoteMenus.h"

#include "automation/Conversions.h"
#include "automation/Error.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace remote {

namespace {

constexpr int twipsToPixels(int twips)
{
    return (twips + 7) / 15;
}

// The expanded height counts a caption above the picture; the picture's own height
// (6075 twips) is what "expanded" shows of it.
constexpr int kCaptionTwips = RemoteControlWindow::kExpandedHeightTwips - kPictureHeight * 15;

// A transparent part of the window over one part of the appliance.
class ActiveArea final : public QWidget {
public:
    ActiveArea(RemoteControlWindow* window, std::string name) : QWidget(window), window_(window), name_(std::move(name)) { }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::RightButton)
            window_->popUpAreaMenu(name_, event->globalPosition().toPoint());
        event->accept();
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            window_->clickArea(name_);
        event->accept();
    }

private:
    RemoteControlWindow* window_;
    std::string name_;
};

QString qs(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

RemoteControlWindow::RemoteControlWindow(PluginProvider plugin, std::shared_ptr<Prompter> prompter, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , plugin_(std::move(plugin))
    , prompter_(prompter ? std::move(prompter) : std::make_shared<DialogPrompter>())
    , picture_(drawAudreyPicture())
{
    setObjectName("vynARControl");
    setWindowTitle("vynAudrey Remote Control");
    // The tips of the active areas show while the window is not the active one too.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFixedWidth(kPictureWidth);
    buildAreas();
    buildLabels();
    buildMenus();
    buildPanel();
    setHeightTwips(kExpandedHeightTwips);
    selection_.changed = [this] { refreshPanel(); };
    refreshPanel();
}

RemoteControlWindow::~RemoteControlWindow() = default;

void RemoteControlWindow::buildAreas()
{
    for (const ActiveAreaSpec& place : activeAreaSpecs()) {
        auto* area = new ActiveArea(this, std::string(place.name));
        area->setObjectName(qs(place.name));
        area->setGeometry(twipsToPixels(place.left), twipsToPixels(place.top), twipsToPixels(place.width), twipsToPixels(place.height));
        area->setToolTip(qs(place.toolTip));
        areas_[std::string(place.name)] = area;
    }
}

void RemoteControlWindow::buildLabels()
{
    struct LabelSpec {
        const char* text;
        int left, top;
    };
    for (const LabelSpec& l : {LabelSpec{"Audrey Controls", 960, 1600}, LabelSpec{"Select Which Audreys", 960, 4320}}) {
        auto* label = new QLabel(QString::fromUtf8(l.text), this);
        label->move(twipsToPixels(l.left), twipsToPixels(l.top));
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->adjustSize();
    }
}

void RemoteControlWindow::buildMenus()
{
    for (const PopupSpec& popupEntry : popupSpecs()) {
        auto* menu = new QMenu(qs(popupEntry.caption), this);
        menu->setObjectName(qs(popupEntry.name));
        popups_[std::string(popupEntry.name)] = menu;
        std::map<std::string_view, QMenu*> nested;
        if (popupEntry.name == "popmnu_KeyboardIR") {
            // mnu_Audrey(0..8): captions A0 to A8, hidden until the names are filled in.
            for (int i = 0; i < AudreySelection::kBoxes; ++i) {
                const std::string name = "mnu_Audrey" + std::to_string(i);
                QAction* a = menu->addAction(QString("A%1").arg(i));
                a->setObjectName(QString::fromStdString(name));
                a->setCheckable(true);
                a->setVisible(false);
                connect(a, &QAction::triggered, this, [this, name] { chooseItem(name); });
                actions_[name] = a;
            }
        }
        for (const MenuEntrySpec& e : popupEntry.entries) {
            QMenu* target = e.parent.empty() ? menu : nested.at(e.parent);
            const std::string name(e.name);
            QAction* a = nullptr;
            const bool hasChildren = std::any_of(popupEntry.entries.begin(), popupEntry.entries.end(),
                                                 [&](const MenuEntrySpec& other) { return other.parent == e.name; });
            if (e.caption == "-") {
                a = target->addSeparator();
            } else if (hasChildren || name == "mnu_PlaySound") {
                QMenu* sub = target->addMenu(qs(e.caption));
                sub->setObjectName(qs(e.name));
                nested[e.name] = sub;
                a = sub->menuAction();
                if (name == "mnu_PlaySound") {
                    const auto sounds = soundCaptions();
                    for (std::size_t k = 0; k < sounds.size(); ++k) {
                        const std::string soundName = "mnu_Sound" + std::to_string(k);
                        QAction* s = sub->addAction(qs(sounds[k]));
                        s->setObjectName(QString::fromStdString(soundName));
                        connect(s, &QAction::triggered, this, [this, soundName] { chooseItem(soundName); });
                        actions_[soundName] = s;
                    }
                }
            } else {
                a = target->addAction(qs(e.caption));
                if (name == "mnu_AllAudreys")
                    a->setCheckable(true);
                connect(a, &QAction::triggered, this, [this, name] { chooseItem(name); });
            }
            a->setObjectName(qs(e.name));
            a->setVisible(!e.hidden);
            actions_[name] = a;
        }
    }
}

void RemoteControlWindow::buildPanel()
{
    static constexpr int kTops[] = {4590, 4830, 5070, 5310, 5550};
    auto place = [](QCheckBox* box, int column, int row) {
        box->setGeometry(twipsToPixels(column == 0 ? 300 : 1950), twipsToPixels(kTops[row]), twipsToPixels(1675), twipsToPixels(255));
        // A check box fills with its button colour by default; the panel's boxes are
        // RGB(224,224,224).
        box->setAutoFillBackground(true);
        box->setBackgroundRole(QPalette::Window);
        QPalette p = box->palette();
        p.setColor(QPalette::Window, QColor(224, 224, 224));
        box->setPalette(p);
    };
    for (int i = 0; i < AudreySelection::kBoxes; ++i) {
        auto* box = new QCheckBox(this);
        box->setObjectName(QString("chk_Audrey%1").arg(i));
        place(box, i % 2, i / 2);
        connect(box, &QCheckBox::clicked, this, [this, i](bool checked) { selection_.setTicked(i, checked); });
        boxes_.push_back(box);
    }
    allBox_ = new QCheckBox("All Audreys", this);
    allBox_->setObjectName("AllAudreys");
    place(allBox_, 1, 4);
    connect(allBox_, &QCheckBox::clicked, this, [this](bool checked) { selection_.setAllTicked(checked); });
}

void RemoteControlWindow::refreshPanel()
{
    for (int i = 0; i < AudreySelection::kBoxes; ++i) {
        const AudreySelection::Box& b = selection_.box(i);
        QSignalBlocker block(boxes_[i]);
        boxes_[i]->setText(QString::fromStdString(b.caption));
        boxes_[i]->setEnabled(b.enabled);
        boxes_[i]->setChecked(b.ticked);
        QAction* item = actions_.at("mnu_Audrey" + std::to_string(i));
        if (selection_.namesFilled())
            item->setText(QString::fromStdString(b.caption));
        item->setVisible(b.menuVisible);
        item->setChecked(b.menuChecked);
    }
    QSignalBlocker block(allBox_);
    allBox_->setChecked(selection_.allTicked());
    actions_.at("mnu_AllAudreys")->setChecked(selection_.allMenuChecked());
}

void RemoteControlWindow::setHeightTwips(int twips)
{
    heightTwips_ = twips;
    setFixedHeight(twipsToPixels(twips - kCaptionTwips));
}

bool RemoteControlWindow::topmost() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void RemoteControlWindow::setTopmost(bool on)
{
    // Inside an ordinary window (a desktop without a tray) the window's manager decides.
    if (!isWindow() || topmost() == on)
        return;
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (wasVisible)
        show();
}

void RemoteControlWindow::shapeToPicture()
{
    std::int32_t key = 1; // take the colour from the picture's bottom-left pixel
    region_.ScanPicture(picture_, key);
    region_.OffsetHeader(FrameMetrics{}); // the window has no border
    region_.ApplyRgn(*this);
    shaped_ = true;
}

void RemoteControlWindow::showEvent(QShowEvent* event)
{
    if (!shaped_)
        shapeToPicture();
    QWidget::showEvent(event);
}

void RemoteControlWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, picture_);
}

void RemoteControlWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // Dragging the picture moves the whole window (the one holding it, when it is held).
    QWidget* whole = window();
    if (whole->windowHandle() && whole->windowHandle()->startSystemMove())
        return;
    dragOffset_ = event->globalPosition().toPoint() - whole->frameGeometry().topLeft();
}

void RemoteControlWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (dragOffset_ && (event->buttons() & Qt::LeftButton))
        window()->move(event->globalPosition().toPoint() - *dragOffset_);
}

void RemoteControlWindow::mouseReleaseEvent(QMouseEvent*)
{
    dragOffset_.reset();
}

void RemoteControlWindow::fillNamesAndShow()
{
    vb::Ref<vb::Object> plugin = plugin_ ? plugin_() : nullptr;
    if (!plugin)
        vb::raiseError(vb::err::ObjectVariableNotSet);
    const std::string names = vb::CStr(vb::getProperty(*plugin, "AudreyNames"));
    selection_.fillNames(names);
    show();
    setTopmost(true);
    raise();
    if (!isWindow()) {
        window()->show();
        window()->raise();
        window()->activateWindow();
    }
}

std::string RemoteControlWindow::WhichAudries()
{
    return selection_.WhichAudries();
}

QMenu* RemoteControlWindow::popUpAreaMenu(const std::string& areaName, const QPoint& globalPos)
{
    // The keyboard's menu is there only while the selection panel is folded away.
    if (areaName == "img_Keyboard" && heightTwips_ != kCollapsedHeightTwips)
        return nullptr;
    for (const ActiveAreaSpec& area : activeAreaSpecs()) {
        if (area.name == areaName) {
            QMenu* menu = popups_.at(std::string(area.popup));
            menu->popup(globalPos);
            return menu;
        }
    }
    return nullptr;
}

void RemoteControlWindow::clickArea(const std::string& areaName)
{
    if (areaName == "img_OptionsButton") {
        window()->hide();
    } else if (areaName == "img_Keyboard") {
        QWidget* keyboard = areas_.at("img_Keyboard");
        if (heightTwips_ == kExpandedHeightTwips) {
            keyboard->setToolTip("Show Keyboard - Select Audreys");
            setHeightTwips(kCollapsedHeightTwips);
        } else {
            keyboard->setToolTip("Hide Keyboard - Select Audreys");
            setHeightTwips(kExpandedHeightTwips);
        }
    }
}

void RemoteControlWindow::chooseItem(const std::string& itemName)
{
    if (const CommandSpec* command = findCommandSpec(itemName)) {
        runCommand(*command);
    } else if (itemName == "mnu_ACID") {
        runAcid();
    } else if (itemName == "mnu_Hide") {
        window()->hide();
    } else if (itemName == "mnu_AllAudreys") {
        selection_.toggleAllFromMenu();
    } else if (itemName.rfind("mnu_Audrey", 0) == 0) {
        selection_.toggleFromMenu(std::stoi(itemName.substr(10)));
    } else if (itemName.rfind("mnu_Sound", 0) == 0) {
        runSound(std::stoi(itemName.substr(9)));
    }
}

std::optional<std::string> RemoteControlWindow::ask(const std::string& prompt, const std::string& title)
{
    return prompter_->askText(this, prompt, title);
}

void RemoteControlWindow::runCommand(const CommandSpec& command)
{
    std::optional<vb::Variant> argument;
    switch (command.kind) {
    case ArgumentKind::None:
        break;
    case ArgumentKind::Text:
        argument = vb::Variant(std::string(command.text));
        break;
    case ArgumentKind::Integer:
        argument = vb::Variant(static_cast<std::int16_t>(command.number));
        break;
    case ArgumentKind::Prompt: {
        // The prompt must come to the front of the topmost window.
        setTopmost(false);
        argument = vb::Variant(ask(std::string(command.prompt), std::string(command.title)).value_or(""));
        setTopmost(true);
        break;
    }
    case ArgumentKind::Volume: {
        setTopmost(false);
        const std::optional<std::string> entry = ask(std::string(command.prompt), std::string(command.title));
        std::optional<double> level = entry ? vb::parseNumber(*entry) : std::nullopt;
        if (level)
            level = vb::roundHalfEven(*level);
        if (!level || *level < 0 || *level > 100) {
            prompter_->showMessage(this, kVolumeMessage, kProgramTitle);
            setTopmost(true);
            return;
        }
        setTopmost(true);
        argument = vb::Variant(static_cast<std::int16_t>(*level));
        break;
    }
    }
    std::vector<vb::Variant> args{vb::Variant(WhichAudries())};
    if (argument)
        args.push_back(*argument);
    callPlugin(std::string(command.member), std::move(args));
}

void RemoteControlWindow::runAcid()
{
    setTopmost(false);
    const std::string name = ask("What name do you want to display on ACID?", "ACID").value_or("");
    const std::string number = ask("What number do you want to display on ACID?", "ACID").value_or("");
    setTopmost(true);
    WhichAudries(); // recomputed as for every command; ACID itself names no Audrey
    callPlugin("AudreyACID", {vb::Variant(name), vb::Variant(number)});
}

void RemoteControlWindow::runSound(int index)
{
    callPlugin("AudreyPlaySound", {vb::Variant(WhichAudries()), vb::Variant(static_cast<std::int16_t>(index))});
}

void RemoteControlWindow::callPlugin(const std::string& member, std::vector<vb::Variant> args)
{
    // A command whose plug-in call fails, or finds no plug-in, ends here; the window stays usable.
    vb::ignoreErrors([&] {
        vb::Ref<vb::Object> plugin = plugin_ ? plugin_() : nullptr;
        if (!plugin)
            vb::raiseError(vb::err::ObjectVariableNotSet);
        std::vector<vb::Variant*> ptrs;
        for (vb::Variant& a : args)
            ptrs.push_back(&a);
        plugin->invoke(member, vb::Method, vb::Args(ptrs.data(), ptrs.size()));
    });
}

QAction* RemoteControlWindow::action(const std::string& itemName) const
{
    auto it = actions_.find(itemName);
    return it == actions_.end() ? nullptr : it->second;
}

QMenu* RemoteControlWindow::popup(const std::string& popupName) const
{
    auto it = popups_.find(popupName);
    return it == popups_.end() ? nullptr : it->second;
}

QWidget* RemoteControlWindow::activeArea(const std::string& areaName) const
{
    auto it = areas_.find(areaName);
    return it == areas_.end() ? nullptr : it->second;
}

QCheckBox* RemoteControlWindow::audreyBox(int index) const
{
    return boxes_.at(static_cast<std::size_t>(index));
}

QCheckBox* RemoteControlWindow::allAudreysBox() const
{
    return allBox_;
}

} // namespace remote
