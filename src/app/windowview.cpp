#include "app/windowview.h"

#include "app/settings.h"
#include "platform/inifile.h"
#include "platform/repaintlock.h"
#include "widgets/dividerbar.h"
#include "widgets/toolpanel.h"

#include <QAbstractButton>
#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QVBoxLayout>

WindowView::WindowView(const ViewWidgets& widgets, QObject* parent)
    : QObject(parent), m_w(widgets) {
    connect(m_w.docStandard, &ToolPanel::VisibleChanged, this,
            [this](bool shown) { m_w.mnuStandard->setChecked(shown); });
    connect(m_w.docFormatting, &ToolPanel::VisibleChanged, this,
            [this](bool shown) { m_w.mnuFormatting->setChecked(shown); });
    connect(m_w.docBuilder, &ToolPanel::VisibleChanged, this,
            [this](bool shown) { m_w.mnuBuilder->setChecked(shown); });
    connect(m_w.mnuStandard, &QAction::triggered, this, &WindowView::mnuStandardClick);
    connect(m_w.mnuFormatting, &QAction::triggered, this, &WindowView::mnuFormattingClick);
    connect(m_w.mnuBuilder, &QAction::triggered, this, &WindowView::mnuBuilderClick);
    connect(m_w.mnuStatusbar, &QAction::triggered, this, &WindowView::mnuStatusbarClick);
    connect(m_w.mnuNavigator, &QAction::triggered, this, &WindowView::cmdHideNavClick);
    connect(m_w.cmdHideNav, &QAbstractButton::clicked, this, &WindowView::cmdHideNavClick);
}

void WindowView::placeToolbarsInOrder() {
    // The standard toolbar sits on top, then the formatting toolbar, then the builder's.
    m_w.toolArea->removeWidget(m_w.docStandard);
    m_w.toolArea->removeWidget(m_w.docFormatting);
    m_w.toolArea->removeWidget(m_w.docBuilder);
    m_w.toolArea->insertWidget(0, m_w.docStandard);
    m_w.toolArea->insertWidget(1, m_w.docFormatting);
    m_w.toolArea->insertWidget(2, m_w.docBuilder);
}

void WindowView::mnuStandardClick() {
    RepaintLock lock(m_w.window);
    m_w.docStandard->setVisible(m_w.docStandard->isHidden());
    placeToolbarsInOrder();
}

void WindowView::mnuFormattingClick() {
    RepaintLock lock(m_w.window);
    m_w.docFormatting->setVisible(m_w.docFormatting->isHidden());
    placeToolbarsInOrder();
}

void WindowView::mnuBuilderClick() {
    RepaintLock lock(m_w.window);
    m_w.docBuilder->setVisible(m_w.docBuilder->isHidden());
}

void WindowView::OfferBuilder() {
    if (!m_w.mnuToolbars->actions().contains(m_w.mnuBuilder))
        m_w.mnuToolbars->addAction(m_w.mnuBuilder);
    m_w.docBuilder->show();
}

void WindowView::mnuStatusbarClick() {
    RepaintLock lock(m_w.window);
    m_w.Statusbar1->setVisible(m_w.Statusbar1->isHidden());
    m_w.mnuStatusbar->setChecked(!m_w.Statusbar1->isHidden());
}

void WindowView::cmdHideNavClick() {
    RepaintLock lock(m_w.window);
    SetNavigatorShown(m_w.Panel1->isHidden());
}

void WindowView::SetNavigatorShown(bool shown) {
    m_w.Panel1->setVisible(shown);
    m_w.mnuNavigator->setChecked(shown);
    m_w.cmdHideNav->setChecked(shown);
    m_w.JPSplitter2->setThickness(shown ? 7 : 0);
}

void WindowView::readSettings(const IniFile& ini) {
    using namespace Settings;
    QMainWindow* window = m_w.window;
    // A stored 0 brings back the normal geometry; no key at all, or a 2, maximizes.
    if (ini.readInteger(MainSection, "WindowState", 0) == 0) {
        window->setWindowState(window->windowState() &
                               ~(Qt::WindowMaximized | Qt::WindowMinimized));
        window->move(ini.readInteger(MainSection, "WindowLeft", 0),
                     ini.readInteger(MainSection, "Windowtop", 0));
        window->resize(ini.readInteger(MainSection, "Windowwidth", DefaultWindowWidth),
                       ini.readInteger(MainSection, "Windowheight", DefaultWindowHeight));
    }
    if (ini.readInteger(MainSection, "WindowState", 2) == 2)
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) |
                               Qt::WindowMaximized);

    m_w.JPSplitter1->setPanelSize(ini.readInteger(MainSection, "Divider1", DefaultDivider1));
    m_w.Panel1->setFixedHeight(
        std::max(ini.readInteger(MainSection, "Divider2", MinimumDivider2), MinimumDivider2));

    const bool standard = ini.readInteger(MainSection, "Toolbar1", 1) == 1;
    m_w.docStandard->setVisible(standard);
    m_w.mnuStandard->setChecked(standard);
    const bool formatting = ini.readInteger(MainSection, "Toolbar2", 1) == 1;
    m_w.docFormatting->setVisible(formatting);
    m_w.mnuFormatting->setChecked(formatting);
    const bool status = ini.readInteger(MainSection, "status", 1) == 1;
    m_w.Statusbar1->setVisible(status);
    m_w.mnuStatusbar->setChecked(status);
    SetNavigatorShown(ini.readInteger(MainSection, "navigator", 1) == 1);
}

void WindowView::writeSettings(IniFile& ini) const {
    using namespace Settings;
    const QMainWindow* window = m_w.window;
    // A minimized or maximized window is stored with the size it returns to.
    const bool maximized = window->isMaximized() && !window->isMinimized();
    QRect frame = window->frameGeometry();
    QRect client = window->geometry();
    if (window->isMinimized() || window->isMaximized()) {
        const QRect normal = window->normalGeometry();
        if (normal.isValid()) {
            frame.moveTopLeft(normal.topLeft() - (client.topLeft() - frame.topLeft()));
            client = normal;
        }
    }
    ini.writeInteger(MainSection, "WindowLeft", frame.x());
    ini.writeInteger(MainSection, "WindowTop", frame.y());
    ini.writeInteger(MainSection, "WindowWidth", client.width());
    ini.writeInteger(MainSection, "WindowHeight", client.height());
    ini.writeInteger(MainSection, "Divider1", m_w.Panel3->width());
    ini.writeInteger(MainSection, "Divider2", m_w.Panel1->height());
    ini.writeInteger(MainSection, "Toolbar1", m_w.docStandard->isHidden() ? 0 : 1);
    ini.writeInteger(MainSection, "Toolbar2", m_w.docFormatting->isHidden() ? 0 : 1);
    ini.writeInteger(MainSection, "status", m_w.Statusbar1->isHidden() ? 0 : 1);
    ini.writeInteger(MainSection, "navigator", m_w.Panel1->isHidden() ? 0 : 1);
    ini.writeInteger(MainSection, "WindowState", maximized ? 2 : 0);
}
