#pragma once

#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "shell/AppDelegate.h"
#include "model/MainViewController.h"
#include "shell/Popover.h"
#include "shell/VantelManager.h"
#include "shell/VantelWindowEnum.h"
#include "shell/WindowSystem.h"

#include <QObject>
#include <QVariant>

#include <functional>
#include <memory>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace vantel::test {

using State = defaultVantelMainViewControllerState;

// A main view controller whose appearance its fake hosts drive.
class FakeMainView : public MainViewController, public ViewController {
public:
    State state = State::viewDidLoad;
    int modifierClears = 0;

    State currentState() const override { return state; }
    bool hasWindow() const override { return state == State::viewDidAppear; }
    void presentAsSheet(const std::shared_ptr<ViewController>&) override {}
    bool modifierFlagsContainOptionKey() const override { return false; }
    bool hasSectionView() const override { return true; }
    bool selectItemWithTagName(const QString&) override { return false; }
    bool selectItemWithSelectionType(int) override { return false; }
    void updateMainTableView() override {}
    void clearModifierFlags() override { ++modifierClears; }
};

inline void setAppearance(const std::shared_ptr<ViewController>& content, State state)
{
    if (auto* view = dynamic_cast<FakeMainView*>(content.get()))
        view->state = state;
}

// A window controller whose "window" is a QObject that points back at it and
// posts the will-close notification as the real windows do.
class FakeWindow : public QObject, public WindowController {
public:
    FakeWindow() { window.setProperty(windowControllerProperty, QVariant::fromValue<QObject*>(this)); }

    std::shared_ptr<ViewController> contentViewController() const override { return content; }
    void setContentViewController(std::shared_ptr<ViewController> controller) override
    {
        if (open)
            setAppearance(content, State::viewWillDisappear);
        content = std::move(controller);
        if (open)
            setAppearance(content, State::viewDidAppear);
    }
    void showWindow(bool runModal) override
    {
        runModal ? ++modalRuns : ++shows;
        open = true;
        setAppearance(content, State::viewDidAppear);
    }
    bool isWindowOpen() const override { return open; }
    void close() override
    {
        ++closes;
        if (!open)
            return;
        platform::NotificationCenter::defaultCenter().post(QStringLiteral("NSWindowWillCloseNotification"),
                                                            static_cast<QObject*>(&window));
        setAppearance(content, State::viewWillDisappear);
        open = false;
    }
    void showAsMainWindow(const QRect& placed) override
    {
        frame = placed;
        showWindow(false);
    }

    QObject window;
    std::shared_ptr<ViewController> content;
    bool open = false;
    int shows = 0;
    int modalRuns = 0;
    int closes = 0;
    QRect frame;
};

class FakePopover : public Popover {
public:
    bool isShown() const override { return shown; }
    bool isDetached() const override { return detached; }
    void setAnimates(bool on) override { animates = on; }
    void setTransient(bool on) override { transient = on; }
    bool isTransient() const override { return transient; }
    std::shared_ptr<ViewController> contentViewController() const override { return content; }
    void setContentViewController(std::shared_ptr<ViewController> controller) override
    {
        content = std::move(controller);
    }
    void setContentSize(const QSize& size) override { contentSize = size; }
    void show(const QRect& at, int onEdge) override
    {
        if (delegate())
            delegate()->popoverWillShow(*this);
        anchor = at;
        edge = onEdge;
        shown = true;
        setAppearance(content, State::viewDidAppear);
        if (delegate())
            delegate()->popoverDidShow(*this);
    }
    void close() override
    {
        if (onClose)
            onClose();
        setAppearance(content, State::viewWillDisappear);
        shown = false;
        detached = false;
    }
    // As the user dragging it off.
    void detach()
    {
        if (delegate() && !delegate()->popoverShouldDetach(*this))
            return;
        detached = true;
        if (delegate())
            delegate()->popoverDidDetach(*this);
    }

    bool shown = false;
    bool detached = false;
    bool transient = false;
    bool animates = false;
    std::shared_ptr<ViewController> content;
    QSize contentSize;
    QRect anchor;
    int edge = -1;
    std::function<void()> onClose;
};

// Two screens side by side, the left one primary; the catalogue's windows
// are whatever the registry holds, plus extra ones a test adds.
class FakeWindowSystem : public WindowSystem {
public:
    static constexpr QRect left{0, 0, 1280, 800};
    static constexpr QRect right{1280, 0, 1920, 1080};

    QList<WindowController*> windowControllers() const override
    {
        QList<WindowController*> list;
        for (WindowController* controller : extra)
            list.append(controller);
        for (VantelWindowEnum::Kind kind : VantelWindowEnum::allCases())
            if (auto controller = VantelWindowEnum::windowController(kind); controller && !list.contains(controller.get()))
                list.append(controller.get());
        return list;
    }
    bool isModalPanelVisible() const override { return modalPanel; }
    void activateApplication() override { ++activations; }
    std::optional<QRect> screenWithMouse() const override
    {
        for (const QRect& screen : {left, right})
            if (screen.contains(pointer))
                return screen;
        return std::nullopt;
    }
    std::optional<QRect> mainScreen() const override { return left; }
    std::optional<QRect> firstScreen() const override { return left; }
    std::optional<QRect> availableFrame(const QRect& frame) const override { return frame.adjusted(0, 30, 0, 0); }
    bool canPlaceWindows() const override { return placesWindows; }
    std::shared_ptr<Popover> makePopover() override
    {
        ++popoversMade;
        return popover;
    }

    QList<WindowController*> extra;
    bool modalPanel = false;
    bool placesWindows = true;
    int activations = 0;
    int popoversMade = 0;
    QPoint pointer{100, 100};
    std::shared_ptr<FakePopover> popover = std::make_shared<FakePopover>();
};

// Debug logging on and every line captured while it lives.
class LogCapture {
public:
    // Through the configuration, which owns the gate and resets it when made.
    LogCapture() { AppDelegate::shared().config().setDebugLogging(true); }
    ~LogCapture() { AppDelegate::shared().config().setDebugLogging(false); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList messages() const { return sink_.messages(); }
    QStringList messagesStartingWith(const QString& prefix) const
    {
        QStringList lines;
        for (const QString& line : sink_.messages())
            if (line.startsWith(prefix))
                lines << line;
        return lines;
    }
    void clear() { sink_.clear(); }
    bool contains(const QString& line) const { return sink_.messages().contains(line); }

private:
    platform::Log::CaptureSink sink_;
};

} // namespace vantel::test
